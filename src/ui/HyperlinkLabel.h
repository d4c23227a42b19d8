/*
 * HyperlinkLabel: a text that opens its target through the desktop when clicked. It is
 * drawn underlined in one of three colours (hovered, visited, normal), keeps the visited
 * colour once clicked, shows its own tooltip while the mouse is over it, and does nothing
 * while it has no target.
 */
#pragma once

#include <QLabel>

#include <cstdint>
#include <string>

#include "ui/MouseInteraction.h"
#include "ui/ToolTip.h"

class Desktop;

class HyperlinkLabel : public QLabel {
    Q_OBJECT
public:
    static constexpr std::uint32_t kNormal = 0xFF0000;
    static constexpr std::uint32_t kHover = 0xFF8000;
    static constexpr std::uint32_t kVisited = 0x8000C0;

    HyperlinkLabel(const QString& text, Desktop& desktop, QWidget* parent = nullptr);

    // The address opened on click; false for none.
    bool SetTarget(const std::string& target);
    const std::string& Target() const { return target_; }
    void SetToolTipText(const std::string& text) { tip_.SetText(text, this); }
    ToolTip& Tip() { return tip_; }
    void SetColours(std::uint32_t normal, std::uint32_t hover, std::uint32_t visited);

    bool Visited() const { return visited_; }
    bool Hovered() const { return mouse_.Hovered(); }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Shows the text in the colour of the current state.
    void Recolour();

    // Opens the target.
    Desktop& desktop_;
    std::string target_;
    ToolTip tip_;
    MouseInteraction mouse_;
    bool visited_ = false;
    std::uint32_t normal_ = kNormal;
    std::uint32_t hover_ = kHover;
    std::uint32_t visitedColour_ = kVisited;
};
