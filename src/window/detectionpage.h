#pragma once
// Page 0, "Device Detection": "Detect", "Load Image" and the information memo.
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace quentry {

class TDetectionPage final : public QWidget
{
    Q_OBJECT
public:
    explicit TDetectionPage(QWidget* parent = nullptr);

    QPushButton* ButtonRefresh;
    QPushButton* ButtonLImage;
    QPlainTextEdit* MemoInfo;

    void AddMemoLine(const QString& line);
    void ClearMemo();
    QStringList MemoLines() const;
    // Back to the first line.
    void ScrollMemoToTop();
};

} // namespace quentry
