// The pictures every window shares: the application icon, the question mark and the title banner.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace pictures {

/** The yellow lightning bolt, 32 x 32 and 16 x 16. */
QIcon applicationIcon();
/** The white question mark on a green disc, 32 x 32 and 16 x 16. */
QIcon questionIcon();
/** The question mark at 32 x 32. */
QPixmap questionMark();
/** Sky and clouds, 400 x 36, without text. */
QPixmap banner();

} // namespace pictures
