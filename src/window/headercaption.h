#pragma once
// The coloured band above the pages: a horizontal gradient from navy to aqua with the
// active page's caption centred in white bold type.
#include <QWidget>

namespace quentry {

class THeaderCaption final : public QWidget
{
    Q_OBJECT
public:
    explicit THeaderCaption(QWidget* parent = nullptr);
    void setCaption(const QString& caption);
    QString caption() const { return FCaption; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString FCaption;
};

} // namespace quentry
