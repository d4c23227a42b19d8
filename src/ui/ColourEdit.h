/*
 * ColourEdit: a text field in its own text and background colours that keeps a copy of its
 * text and shows that text as its tooltip. While not interactive it ignores the mouse, keeps
 * the arrow cursor and shows no tooltip.
 */
#pragma once

#include <QLineEdit>

#include <cstdint>
#include <string>

#include "ui/MouseInteraction.h"
#include "ui/ToolTip.h"

class ColourEdit : public QLineEdit {
    Q_OBJECT
public:
    static constexpr std::uint32_t kText = 0x000000;
    static constexpr std::uint32_t kBackground = 0xFFFFFF;

    explicit ColourEdit(QWidget* parent = nullptr);

    // The text as bytes; none means empty.
    void SetText(const char* text);
    void AppendText(const std::string& text);
    // The cached copy of the text.
    const std::string& Text() const { return text_; }
    void SetColours(std::uint32_t text, std::uint32_t background);
    void SetInteractive(bool interactive);
    bool Interactive() const { return mouse_.Interactive(); }
    ToolTip& Tip() { return tip_; }

private:
    // Takes the shown text into the cache and the tooltip.
    void OnTextChanged(const QString& text);

    std::string text_;
    ToolTip tip_;
    MouseInteraction mouse_;
};
