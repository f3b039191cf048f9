// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/aboutdialog.h"

#include "ui/fonts.h"

#include <QFont>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

// The icon is compiled into a static library, where nothing would pull it into the program;
// registering it from here keeps it wherever the About window is linked, i.e. always.
static void registerAboutResources()
{
    Q_INIT_RESOURCE(about);
}

namespace
{

[[maybe_unused]] const bool aboutResourcesRegistered = (registerAboutResources(), true);

// The window is laid out for a classic desktop frame (4-pixel borders, 19-pixel caption), which
// turns the 393 x 293 outer size into this client area.
constexpr int ClientWidth = 393 - 2 * 4;
constexpr int ClientHeight = 293 - 19 - 2 * 4;

} // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("О программе"));
    setFont(Fonts::faceFont(QStringLiteral("MS Sans Serif"), 11));
    resize(ClientWidth, ClientHeight);
    move(323, 193);

    // The logo is drawn for 32 x 32 and stretched pixel by pixel, as the desktop stretches icons.
    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setGeometry(16, 16, 41, 41);
    logo->setPixmap(QPixmap::fromImage(
        QImage(QStringLiteral(":/about/icon.png"))
            .scaled(logo->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)));

    QLabel* title = Fonts::plainLabel(this, "titleLabel", QStringLiteral("Тест - викторина"),
                                      {88, 16, 145, 22});
    title->setFont(Fonts::faceFont(QStringLiteral("Arial"), 19));
    title->adjustSize();

    QLabel* version =
        Fonts::plainLabel(this, "versionLabel", QStringLiteral("Version  1.1"), {88, 48, 69, 16});
    version->setFont(Fonts::faceFont(QStringLiteral("MS Sans Serif"), 13));
    version->adjustSize();

    QLabel* description =
        Fonts::plainLabel(this, "descriptionLabel",
                          QStringLiteral("    Программа для досуга и обучения. Генерирует "
                                         "WEB-страничку тест-викторину , в которой  нужно выбрать "
                                         "соответствие картинки и описания к ней. "),
                          {88, 88, 233, 57});
    description->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    description->setWordWrap(true);
    // The box was measured for a narrow face; a wider substitute needs another line, and there is
    // room for it above the rule. Cut-off text would be worse than a taller box.
    description->resize(
        description->width(),
        qMax(description->height(), description->heightForWidth(description->width())));

    auto* rule = new QFrame(this);
    rule->setObjectName(QStringLiteral("rule"));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Plain);
    rule->setLineWidth(1);
    rule->setGeometry(16, 160, 353, 1);

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setGeometry(272, 192, 97, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
