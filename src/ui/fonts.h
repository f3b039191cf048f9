// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPalette>
#include <QStringList>
#include <QWidget>

// The faces every window is laid out for. "MS Sans Serif" is rarely installed; the faces after it
// keep the metrics the fixed widths were measured with.
namespace Fonts
{

// family first, then the substitutes.
inline QStringList withSubstitutes(const QString& family)
{
    return {family, QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
            QStringLiteral("Sans Serif")};
}

// The windows' own font: base in MS Sans Serif or its substitutes, 11-pixel characters.
inline QFont windowFont(QFont base = QFont())
{
    base.setFamilies(withSubstitutes(QStringLiteral("MS Sans Serif")));
    base.setPixelSize(11);
    return base;
}

// base at another size and weight.
inline QFont pixelFont(QFont base, int pixels, bool bold = false, bool italic = false)
{
    base.setPixelSize(pixels);
    base.setBold(bold);
    base.setItalic(italic);
    return base;
}

// base in Arial or the faces with its metrics (without the generic last resort).
inline QFont arialFont(QFont base)
{
    base.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    return base;
}

// A face of its own with the substitutes and a style hint, as the About window sets its texts.
inline QFont faceFont(const QString& family, int pixels, QFont::StyleHint hint = QFont::SansSerif)
{
    QFont font;
    font.setFamilies(withSubstitutes(family));
    font.setStyleHint(hint);
    font.setPixelSize(pixels);
    return font;
}

inline void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// A widget named name (its object name) at geometry in its parent.
template <class W> W* placed(W* widget, QAnyStringView name, const QRect& geometry)
{
    widget->setObjectName(name.toString());
    widget->setGeometry(geometry);
    return widget;
}

// A label as the main window sets them: text in the top-left corner, format guessed from it.
inline QLabel* label(QWidget* parent, QAnyStringView name, const QString& text,
                     const QRect& geometry)
{
    auto* lbl = placed(new QLabel(text, parent), name, geometry);
    lbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return lbl;
}

// A label showing its text as it is, never as markup, as the About and info windows set them.
inline QLabel* plainLabel(QWidget* parent, QAnyStringView name, const QString& text,
                          const QRect& geometry)
{
    auto* lbl = placed(new QLabel(text, parent), name, geometry);
    lbl->setTextFormat(Qt::PlainText);
    return lbl;
}

// Sizes a label to its text; it keeps its top-left corner.
inline void sizeToText(QLabel* lbl)
{
    const QPoint at = lbl->pos();
    lbl->adjustSize();
    lbl->move(at);
}

} // namespace Fonts
