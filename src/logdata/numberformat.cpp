#include "numberformat.h"

#include <QLocale>
#include <clocale>

namespace quentry {

void UseDotDecimalSeparator()
{
    std::setlocale(LC_NUMERIC, "C");
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(c);
}

} // namespace quentry
