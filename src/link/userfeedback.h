#pragma once
// What the core must show a person, without knowing how: a progress dialog with an
// optional Cancel, a modal error message, the system beep. The GUI implements it with
// widgets, the command-line tool on the terminal, tests with a recorder.
#include <QString>
#include <memory>

namespace quentry {

enum class TCentre : quint8 { Screen, MainWindow };
enum class TMessageButton : quint8 { Ok, Abort };

struct TProgressOptions
{
    QString caption;
    QString text;
    int minimum = 0;
    int maximum = 100;
    int position = 0;
    bool cancelButton = false;
    bool smooth = false;
    TCentre centre = TCentre::MainWindow;
};

// One shown progress dialog; hidden when the object is destroyed.
class TProgress
{
public:
    virtual ~TProgress() = default;
    virtual void setCaption(const QString& caption) = 0;
    virtual void setText(const QString& text) = 0;
    virtual void setRange(int minimum, int maximum) = 0;
    virtual void setPosition(int position) = 0;
    virtual bool canceled() const = 0;
};

class TUserFeedback
{
public:
    virtual ~TUserFeedback() = default;
    virtual std::unique_ptr<TProgress> showProgress(const TProgressOptions& options) = 0;
    virtual void showError(const QString& text, TMessageButton button = TMessageButton::Ok) = 0;
    virtual void beep() = 0;
};

// Shows nothing; what the core uses until someone attaches real feedback.
TUserFeedback& silentFeedback();

} // namespace quentry
