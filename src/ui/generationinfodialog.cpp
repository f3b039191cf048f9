// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/generationinfodialog.h"

#include "core/programplaces.h"
#include "core/quizsetup.h"
#include "ui/fonts.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace
{

// The window's outer size less a classic sizeable frame: 4 pixels each side, 19 of caption.
constexpr int ClientWidth = 619 - 2 * 4;
constexpr int ClientHeight = 406 - 2 * 4 - 19;

const QColor Navy(0x00, 0x00, 0x80);
const QColor Red(0xFF, 0x00, 0x00);
const QColor Green(0x00, 0x80, 0x00);

struct LabelLook {
    int pixelSize = 11;
    bool bold = false;
    bool italic = false;
    QColor colour;
};

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                  const LabelLook& look)
{
    auto* label = Fonts::plainLabel(parent, name, text, geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(Fonts::pixelFont(parent->font(), look.pixelSize, look.bold, look.italic));
    if (look.colour.isValid())
        Fonts::setTextColour(label, look.colour);
    return label;
}

// Labels that follow their text keep only their top-left corner from the layout.
} // namespace

GenerationInfoDialog::GenerationInfoDialog(const ProgramPlaces& places, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("GenerationInfoDialog"));
    setWindowTitle(QStringLiteral("  Для сведения"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    // Liberation Sans keeps the metrics the fixed label widths were laid out for.
    setFont(Fonts::windowFont());
    move(246, 210);
    resize(ClientWidth, ClientHeight);

    makeLabel(this, "headingLabel",
              QStringLiteral("Будет  произведена генерация WEB-страницы  -  викторины..."),
              QRect(16, 24, 577, 33), {19, false, true, Navy});
    // The asterisk rows are rules: they keep the width they were drawn for, because the substitute
    // font's wider asterisks would otherwise run past the window's edge.
    makeLabel(this, "upperRule", QString(143, QLatin1Char('*')), QRect(16, 64, 572, 13), {});
    makeLabel(this, "attentionLabel", QStringLiteral("В Н И М А Н И Е !"), QRect(24, 80, 177, 25),
              {19, true, false, Red});
    makeLabel(this, "folderIntroLabel",
              QStringLiteral("Викторина будет находитья в папке с названием :"),
              QRect(216, 80, 393, 25), {16, false, false, {}});
    m_folderNameLabel = makeLabel(this, "folderNameLabel", QStringLiteral("Название викторины"),
                                  QRect(24, 112, 537, 25), {16, true, false, {}});
    makeLabel(this, "locationLabel",
              places.quizzesInDocuments ? QStringLiteral("В папке QUIRVEL среди ваших документов")
                                        : QStringLiteral("Там, где расположена программа QUIRVEL"),
              QRect(24, 152, 337, 25), {13, true, false, {}});
    QLabel* programFolderLabel =
        makeLabel(this, "programFolderLabel", QString(), QRect(24, 192, 0, 13), {});
    makeLabel(this, "laterViewingLabel",
              QStringLiteral("Вдальнейшем, для просмотра викторины нужно выбирать файл start.htm"),
              QRect(24, 224, 537, 17), {13, true, false, Navy});
    makeLabel(this, "lowerRule", QString(139, QLatin1Char('*')), QRect(24, 256, 556, 13), {});
    makeLabel(this, "startPromptLabel", QStringLiteral("Для начала генерации нажми кнопку  ->"),
              QRect(32, 280, 313, 25), {16, false, true, {}});

    auto* create = new QPushButton(QStringLiteral("Создать викторину"), this);
    create->setObjectName(QStringLiteral("createButton"));
    create->setFont(Fonts::pixelFont(font(), 16, true));
    create->setGeometry(376, 280, 201, 33);
    connect(create, &QPushButton::clicked, this, &QDialog::close);

    makeLabel(this, "correctionsLabel",
              QStringLiteral("После просмотра можно вернуться и внести коррективы в заготовку"),
              QRect(32, 320, 553, 25), {13, true, false, Green});

    // The quizzes' folder, always with its closing separator, in a label as wide as its text.
    QString folder = places.quizzesFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    programFolderLabel->setText(folder);
    programFolderLabel->resize(programFolderLabel->sizeHint().width(), 13);
}

void GenerationInfoDialog::showEvent(QShowEvent* event)
{
    // Each showing names the folder as it is now.
    if (m_setup)
        m_folderNameLabel->setText(m_setup->folderName);
    QDialog::showEvent(event);
}

// Escape does not close this window: it is left only by its button or its close box.
void GenerationInfoDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
