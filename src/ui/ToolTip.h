/*
 * ToolTip: a tip any control can own. It pops up 200 ms after the mouse enters its owner,
 * stays at most 20 seconds, and shows again at once on the next entry; its text is plain,
 * in its own colours, wrapped at a maximum width. Qt's global tooltip is not used, so each
 * control keeps its own colours and timings. The tip never takes the mouse or the focus.
 */
#pragma once

#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <string>

// A 0x00BBGGRR colour value as a QColor.
QColor ColourOf(std::uint32_t colour);

class ToolTip : public QObject {
    Q_OBJECT
public:
    static constexpr int kInitialDelay = 200;
    static constexpr int kDisplayTime = 20000;
    static constexpr std::uint32_t kBackground = 0xFFDDCC;
    static constexpr int kMaxWidth = 250;

    explicit ToolTip(QObject* parent = nullptr);
    ~ToolTip() override;

    // Sets the text over owner's area; false without an owner. An empty text removes the tip.
    bool SetText(const std::string& text, QWidget* owner);
    // Pops the tip up at its owner, or hides it.
    void Show();
    void Hide();
    // The colours (0x00BBGGRR) and the widest the tip grows.
    void SetColours(std::uint32_t text, std::uint32_t background, int maxWidth);

    // The tip's window, while it exists.
    QLabel* Window() const { return tip_; }
    const QString& Text() const { return text_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Gives the tip window the current colours and width.
    void Apply();
    // Makes the shown tip pass every click on it to the control under it.
    void LetClicksThrough();

    // The tip's text.
    QString text_;
    // The control the tip covers.
    QPointer<QWidget> owner_;
    // The tip's window, made on first use.
    QPointer<QLabel> tip_;
    // Starts the tip after the initial delay; then ends it after the display time.
    QTimer showTimer_;
    QTimer hideTimer_;
    std::uint32_t textColour_ = 0;
    std::uint32_t background_ = kBackground;
    int maxWidth_ = kMaxWidth;
};
