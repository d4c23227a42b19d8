#include "WindowHarness.h"

#include <QApplication>
#include <QDesktopServices>
#include <QStyleFactory>
#include <QTest>

#include "fakes/TempDir.h"
#include "ui/ReportPages.h"

namespace {

// The application of the whole test binary, made before the first test and gone after the last.
class Application : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "qm_ui_tests";
        static char* argv[] = {name, nullptr};
        application_ = std::make_unique<QApplication>(argc, argv);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }
    void TearDown() override { application_.reset(); }

private:
    std::unique_ptr<QApplication> application_;
};

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new Application);
    return RUN_ALL_TESTS();
}

Script::Script()
{
    timer_.setInterval(5);
    // Qt never fires a timer inside its own handler, so the step runs from a posted call; it
    // is taken out while it runs, so that the next step can answer a box it opens.
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (steps_.empty() || posted_) return;
        posted_ = true;
        QMetaObject::invokeMethod(this, [this] {
            posted_ = false;
            if (steps_.empty()) return;
            std::function<bool()> step = std::move(steps_.front());
            steps_.pop_front();
            if (!step()) steps_.push_front(std::move(step));
        }, Qt::QueuedConnection);
    });
    timer_.start();
}

Script& Script::Then(std::function<bool()> step)
{
    steps_.push_back(std::move(step));
    return *this;
}

Script& Script::Box(QMessageBox::StandardButton button)
{
    return Modal<QMessageBox>([this, button](QMessageBox* box) {
        texts.push_back(box->text().toStdString());
        box->button(button)->click();
    });
}

Script& Script::Boxes(int count, QMessageBox::StandardButton button)
{
    for (int i = 0; i < count; ++i) Box(button);
    return *this;
}

Script& Script::Menu(const QString& item, std::function<void(QMenu*)> check)
{
    return Then([item, check] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return false;
        if (check) check(menu);
        for (QAction* action : menu->actions())
            if (action->text() == item) menu->setActiveAction(action);
        QTest::keyClick(menu, item.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
        return true;
    });
}

QWidget* Script::NextModal(const QMetaObject& type)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->inherits(type.className()) || modal->property("handled").toBool()) return nullptr;
    modal->setProperty("handled", true);
    return modal;
}

UrlRecorder::UrlRecorder()
{
    for (const char* scheme : {"file", "https", "mailto"}) QDesktopServices::setUrlHandler(scheme, this, "Open");
}

UrlRecorder::~UrlRecorder()
{
    for (const char* scheme : {"file", "https", "mailto"}) QDesktopServices::unsetUrlHandler(scheme);
}

void WindowTest::SetUp()
{
    window = std::make_unique<MainWindow>(programDir.Path());
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // qmend.par, qmend_temp and qmend_arch are new; the archiver is found on PATH.
    script.Boxes(3, QMessageBox::Ok);
    window->Start();
    script.texts.clear();
}

void WindowTest::TearDown()
{
    EXPECT_EQ(script.Remaining(), 0u) << ::testing::PrintToString(script.texts);
    window.reset();
}

bool WindowTest::Waiting() const
{
    return window->Run().State().running && window->Run().State().answer == kAnswerNone &&
           !window->Run().State().processAll && window->startPage->GoLabel() != "Search/Replace!";
}

std::function<bool()> WindowTest::Answer(QAbstractButton* button, std::function<void()> check)
{
    return [this, button, check] {
        if (!Waiting()) return false;
        if (check) check();
        button->click();
        return true;
    };
}

std::string WindowTest::Target(const std::string& name, const std::string& bytes)
{
    const std::string path = programDir / name;
    EXPECT_TRUE(WriteFile(path, bytes));
    window->Targets().targets.AddPaths({path});
    return path;
}

void WindowTest::Job(const std::string& pattern, const char* replacement)
{
    window->patternPage->pattern->setPlainText(QString::fromStdString(pattern));
    if (!replacement) return;
    window->patternPage->replacement->setPlainText(QString::fromUtf8(replacement));
    if (window->patternPage->searchOnly->isChecked()) window->patternPage->searchOnly->click();
}
