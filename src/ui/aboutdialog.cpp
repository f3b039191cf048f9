#include "ui/aboutdialog.h"

#include <QFont>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

// The icon is compiled into a static library, where nothing would pull it into the program;
// registering it from here keeps it wherever the About window is linked, i.e. always.
static void RegisterAboutResources()
{
    Q_INIT_RESOURCE(about);
}

namespace
{

[[maybe_unused]] const bool aboutResourcesRegistered = (RegisterAboutResources(), true);

// The window is laid out for a classic desktop frame (4-pixel borders, 19-pixel caption), which
// turns the 393 x 293 outer size into this client area.
constexpr int ClientWidth = 393 - 2 * 4;
constexpr int ClientHeight = 293 - 19 - 2 * 4;

// The same substitutes as the main window, so both windows read alike.
QFont PixelFont(const QString& family, int pixels, QFont::StyleHint hint = QFont::SansSerif)
{
    QFont font;
    font.setFamilies({family, QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Sans Serif")});
    font.setStyleHint(hint);
    font.setPixelSize(pixels);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("О программе"));
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
    resize(ClientWidth, ClientHeight);
    move(323, 193);

    // The logo is drawn for 32 x 32 and stretched pixel by pixel, as the desktop stretches icons.
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(16, 16, 41, 41);
    Image1->setPixmap(QPixmap::fromImage(
        QImage(QStringLiteral(":/about/icon.png"))
            .scaled(Image1->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)));

    Label1 = MakeLabel(this, "Label1", QStringLiteral("Тест - викторина"), {88, 16, 145, 22});
    Label1->setFont(PixelFont(QStringLiteral("Arial"), 19));
    Label1->adjustSize();

    Label2 = MakeLabel(this, "Label2", QStringLiteral("Version  1.1"), {88, 48, 69, 16});
    Label2->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 13));
    Label2->adjustSize();

    Label3 = MakeLabel(this, "Label3",
                       QStringLiteral("    Программа для досуга и обучения. Генерирует "
                                      "WEB-страничку тест-викторину , в которой  нужно выбрать "
                                      "соответствие картинки и описания к ней. "),
                       {88, 88, 233, 57});
    Label3->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label3->setWordWrap(true);
    // The box was measured for a narrow face; a wider substitute needs another line, and there is
    // room for it above the rule. Cut-off text would be worse than a taller box.
    Label3->resize(Label3->width(),
                   qMax(Label3->height(), Label3->heightForWidth(Label3->width())));

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::HLine);
    Shape1->setFrameShadow(QFrame::Plain);
    Shape1->setLineWidth(1);
    Shape1->setGeometry(16, 160, 353, 1);

    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(272, 192, 97, 25);
    connect(Button1, &QPushButton::clicked, this, &TAboutBox::Button1Click);
}

void TAboutBox::Button1Click()
{
    accept();
}
