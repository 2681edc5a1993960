#include "recordingfeedback.h"

#include <algorithm>

namespace quentry::test {

class TRecordingProgress final : public TProgress
{
public:
    TRecordingProgress(TRecordingFeedback& owner, std::shared_ptr<TRecordingFeedback::Shown> shown)
        : FOwner(owner), FShown(std::move(shown))
    {
        FOwner.mostOpen = std::max(FOwner.mostOpen, ++FOwner.openNow);
    }
    ~TRecordingProgress() override { --FOwner.openNow; }
    void setCaption(const QString& c) override { FShown->captions << c; }
    void setText(const QString& t) override { FShown->texts << t; }
    void setRange(int, int) override {}
    void setPosition(int p) override { FShown->positions << p; }
    bool canceled() const override
    {
        ++FShown->checks;
        ++FOwner.FChecks;
        return FOwner.FCancelAfter >= 0 && FOwner.FChecks > FOwner.FCancelAfter;
    }

private:
    TRecordingFeedback& FOwner;
    std::shared_ptr<TRecordingFeedback::Shown> FShown;
};

std::unique_ptr<TProgress> TRecordingFeedback::showProgress(const TProgressOptions& options)
{
    opened << options;
    auto shown = std::make_shared<Shown>();
    shown->captions << options.caption;
    shown->texts << options.text;
    dialogs << shown;
    return std::make_unique<TRecordingProgress>(*this, shown);
}

void TRecordingFeedback::showError(const QString& text, TMessageButton button)
{
    errors << text;
    errorButtons << button;
}

} // namespace quentry::test
