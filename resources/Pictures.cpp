#include "Pictures.h"

#include <QImage>

// Compiled in as XPM (tools/pictures_to_xpm.sh makes them from the PNG pictures): QImage reads these
// arrays directly, where loading a PNG file would first load every image plugin Qt has.
#include "pictures/xpm/banner.xpm"
#include "pictures/xpm/kestrola_16.xpm"
#include "pictures/xpm/kestrola_32.xpm"
#include "pictures/xpm/question_16.xpm"
#include "pictures/xpm/question_32.xpm"

namespace pictures {

namespace {

QIcon twoSizes(const char *const *large, const char *const *small)
{
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(QImage(large)));
    icon.addPixmap(QPixmap::fromImage(QImage(small)));
    return icon;
}

} // namespace

QIcon applicationIcon()
{
    return twoSizes(kestrola_32_xpm, kestrola_16_xpm);
}

QIcon questionIcon()
{
    return twoSizes(question_32_xpm, question_16_xpm);
}

QPixmap questionMark()
{
    return QPixmap::fromImage(QImage(question_32_xpm));
}

QPixmap banner()
{
    return QPixmap::fromImage(QImage(banner_xpm));
}

} // namespace pictures
