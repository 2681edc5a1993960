#include "userfeedback.h"

namespace quentry {
namespace {

class TSilentProgress final : public TProgress
{
public:
    void setCaption(const QString&) override {}
    void setText(const QString&) override {}
    void setRange(int, int) override {}
    void setPosition(int) override {}
    bool canceled() const override { return false; }
};

class TSilentFeedback final : public TUserFeedback
{
public:
    std::unique_ptr<TProgress> showProgress(const TProgressOptions&) override
    {
        return std::make_unique<TSilentProgress>();
    }
    void showError(const QString&, TMessageButton) override {}
    void beep() override {}
};

} // namespace

TUserFeedback& silentFeedback()
{
    static TSilentFeedback feedback;
    return feedback;
}

} // namespace quentry
