#pragma once
// The About box: program icon, name and version, OK.
#include <QDialog>

namespace duvane {

class AboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);
};

} // namespace duvane
