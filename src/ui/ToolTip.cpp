#include "ui/ToolTip.h"

#include <QEvent>
#include <QWindow>

QColor ColourOf(std::uint32_t colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

ToolTip::ToolTip(QObject* parent) : QObject(parent)
{
    showTimer_.setSingleShot(true);
    showTimer_.setInterval(kInitialDelay);
    hideTimer_.setSingleShot(true);
    hideTimer_.setInterval(kDisplayTime);
    connect(&showTimer_, &QTimer::timeout, this, &ToolTip::Show);
    connect(&hideTimer_, &QTimer::timeout, this, &ToolTip::Hide);
}

ToolTip::~ToolTip() { delete tip_; }

bool ToolTip::SetText(const std::string& text, QWidget* owner)
{
    if (!owner) return false;
    if (owner_ != owner) {
        if (owner_) owner_->removeEventFilter(this);
        owner_ = owner;
        owner->installEventFilter(this);
    }
    text_ = QString::fromLocal8Bit(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text_.isEmpty()) {
        delete tip_;
        return true;
    }
    if (!tip_) {
        // The tip lies over the controls below its owner; a click there is theirs, as if the
        // tip were not shown.
        tip_ = new QLabel(nullptr, Qt::ToolTip | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
        tip_->setTextFormat(Qt::PlainText);
        tip_->setWordWrap(true);
        tip_->setMargin(3);
        tip_->setAutoFillBackground(true);
    }
    tip_->setText(text_);
    Apply();
    return true;
}

void ToolTip::Show()
{
    if (!tip_ || !owner_) return;
    tip_->adjustSize();
    tip_->move(owner_->mapToGlobal(QPoint(0, owner_->height() + 2)));
    tip_->show();
    LetClicksThrough();
    hideTimer_.start();
}

void ToolTip::LetClicksThrough()
{
    // Qt's X11 platform gives a window the empty input region only when the flag changes while
    // the window is shown, and a new showing loses it; so the flag is set anew each time.
    QWindow* window = tip_->windowHandle();
    window->setFlag(Qt::WindowTransparentForInput, false);
    window->setFlag(Qt::WindowTransparentForInput, true);
}

void ToolTip::Hide()
{
    showTimer_.stop();
    hideTimer_.stop();
    if (tip_) tip_->hide();
}

void ToolTip::SetColours(std::uint32_t text, std::uint32_t background, int maxWidth)
{
    textColour_ = text;
    background_ = background;
    maxWidth_ = maxWidth;
    if (!tip_) return;
    Hide();
    Apply();
}

void ToolTip::Apply()
{
    QPalette palette = tip_->palette();
    palette.setColor(QPalette::Window, ColourOf(background_));
    palette.setColor(QPalette::WindowText, ColourOf(textColour_));
    tip_->setPalette(palette);
    tip_->setMaximumWidth(maxWidth_);
}

bool ToolTip::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == owner_) {
        switch (event->type()) {
        case QEvent::Enter:
            if (tip_) showTimer_.start();
            break;
        case QEvent::Leave:
        case QEvent::MouseButtonPress:
        case QEvent::Hide:
            Hide();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
