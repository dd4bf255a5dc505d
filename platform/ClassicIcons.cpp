#include "ClassicIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

// Drawn here rather than taken from the icon theme: looking a theme up costs more at start-up than the
// whole main window, and the classic pictures are a few rectangles anyway.

namespace platform {

namespace {

const QColor Outline(64, 64, 64);
const QColor FolderYellow(255, 224, 96);
const QColor FolderShade(200, 160, 32);
const QColor DriveGrey(200, 200, 200);
const QColor DriveShade(128, 128, 128);

QPixmap blank()
{
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    return p;
}

QIcon drawFolder(bool open)
{
    QPixmap pm = blank();
    QPainter p(&pm);
    p.setPen(Outline);
    // the tab, then the body
    p.setBrush(FolderShade);
    p.drawPolygon(QPolygon({ QPoint(1, 3), QPoint(6, 3), QPoint(7, 4), QPoint(7, 5), QPoint(1, 5) }));
    p.setBrush(open ? FolderShade : FolderYellow);
    p.drawRect(1, 5, 13, 8);
    if (open) {
        // the front flap, tipped forward
        p.setBrush(FolderYellow);
        p.drawPolygon(QPolygon({ QPoint(3, 8), QPoint(15, 8), QPoint(13, 13), QPoint(1, 13) }));
    }
    return QIcon(pm);
}

QIcon drawDrive(bool removable)
{
    QPixmap pm = blank();
    QPainter p(&pm);
    p.setPen(Outline);
    p.setBrush(DriveGrey);
    p.drawRect(1, 5, 13, 7);
    p.setPen(DriveShade);
    p.drawLine(2, 11, 13, 11);
    if (removable) {
        p.setPen(Outline);
        p.drawLine(4, 8, 11, 8); // the slot
    } else {
        p.fillRect(11, 9, 2, 1, QColor(0, 160, 0)); // the busy light
    }
    return QIcon(pm);
}

} // namespace

QIcon driveIcon(bool removable)
{
    static const QIcon fixed = drawDrive(false);
    static const QIcon slot = drawDrive(true);
    return removable ? slot : fixed;
}

QIcon folderIcon(bool open)
{
    static const QIcon opened = drawFolder(true);
    static const QIcon closed = drawFolder(false);
    return open ? opened : closed;
}

} // namespace platform
