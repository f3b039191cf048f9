#include "ui/generationinfodialog.h"

#include "core/quizsetup.h"

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

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                  const LabelLook& look)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    QFont font = parent->font();
    font.setPixelSize(look.pixelSize);
    font.setBold(look.bold);
    font.setItalic(look.italic);
    label->setFont(font);
    if (look.colour.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, look.colour);
        label->setPalette(palette);
    }
    label->setGeometry(geometry);
    return label;
}

// Labels that follow their text keep only their top-left corner from the layout.
} // namespace

TForm2::TForm2(const QString& programFolder, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("  Для сведения"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    // Liberation Sans keeps the metrics the fixed label widths were laid out for.
    QFont windowFont;
    windowFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                            QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    windowFont.setPixelSize(11);
    setFont(windowFont);
    move(246, 210);
    resize(ClientWidth, ClientHeight);

    Label1 = MakeLabel(this, "Label1",
                       QStringLiteral("Будет  произведена генерация WEB-страницы  -  викторины..."),
                       QRect(16, 24, 577, 33), {19, false, true, Navy});
    // The asterisk rows are rules: they keep the width they were drawn for, because the substitute
    // font's wider asterisks would otherwise run past the window's edge.
    Label2 = MakeLabel(this, "Label2", QString(143, QLatin1Char('*')), QRect(16, 64, 572, 13), {});
    Label5 = MakeLabel(this, "Label5", QStringLiteral("В Н И М А Н И Е !"), QRect(24, 80, 177, 25),
                       {19, true, false, Red});
    Label3 =
        MakeLabel(this, "Label3", QStringLiteral("Викторина будет находитья в папке с названием :"),
                  QRect(216, 80, 393, 25), {16, false, false, {}});
    Label4 = MakeLabel(this, "Label4", QStringLiteral("Название викторины"),
                       QRect(24, 112, 537, 25), {16, true, false, {}});
    Label6 = MakeLabel(this, "Label6", QStringLiteral("Там, где расположена программа QUIRVEL"),
                       QRect(24, 152, 337, 25), {13, true, false, {}});
    Label7 = MakeLabel(this, "Label7", QStringLiteral("Label7"), QRect(24, 192, 0, 13), {});
    Label10 = MakeLabel(
        this, "Label10",
        QStringLiteral("Вдальнейшем, для просмотра викторины нужно выбирать файл start.htm"),
        QRect(24, 224, 537, 17), {13, true, false, Navy});
    Label8 = MakeLabel(this, "Label8", QString(139, QLatin1Char('*')), QRect(24, 256, 556, 13), {});
    Label9 = MakeLabel(this, "Label9", QStringLiteral("Для начала генерации нажми кнопку  ->"),
                       QRect(32, 280, 313, 25), {16, false, true, {}});

    Button1 = new QPushButton(QStringLiteral("Создать викторину"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    QFont buttonFont = font();
    buttonFont.setPixelSize(16);
    buttonFont.setBold(true);
    Button1->setFont(buttonFont);
    Button1->setGeometry(376, 280, 201, 33);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);

    Label11 =
        MakeLabel(this, "Label11",
                  QStringLiteral("После просмотра можно вернуться и внести коррективы в заготовку"),
                  QRect(32, 320, 553, 25), {13, true, false, Green});

    FormCreate(programFolder);
}

void TForm2::FormCreate(const QString& programFolder)
{
    QString folder = programFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    Label7->setText(folder);
    Label7->resize(Label7->sizeHint().width(), 13);
}

void TForm2::FormShow()
{
    if (m_setup)
        Label4->setText(m_setup->FolderName);
}

void TForm2::Button1Click()
{
    close();
}

void TForm2::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

// Escape does not close this window: it is left only by its button or its close box.
void TForm2::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
