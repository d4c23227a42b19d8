#include "ui/ColourEdit.h"

ColourEdit::ColourEdit(QWidget* parent) : QLineEdit(parent), mouse_(this, {})
{
    SetColours(kText, kBackground);
    connect(this, &QLineEdit::textChanged, this, &ColourEdit::OnTextChanged);
}

void ColourEdit::SetText(const char* text) { setText(QString::fromLocal8Bit(text ? text : "")); }

void ColourEdit::AppendText(const std::string& text) { SetText((text_ + text).c_str()); }

void ColourEdit::SetColours(std::uint32_t text, std::uint32_t background)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Text, ColourOf(text));
    colours.setColor(QPalette::Base, ColourOf(background));
    setPalette(colours);
}

void ColourEdit::SetInteractive(bool interactive)
{
    mouse_.SetInteractive(interactive);
    setCursor(interactive ? Qt::IBeamCursor : Qt::ArrowCursor);
    tip_.SetText(interactive ? text_ : std::string(), this);
}

void ColourEdit::OnTextChanged(const QString& text)
{
    text_ = text.toLocal8Bit().toStdString();
    if (mouse_.Interactive()) tip_.SetText(text_, this);
}
