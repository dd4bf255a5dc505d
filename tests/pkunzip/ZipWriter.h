// A small .zip writer for tests: every field the expansion program looks at can be set, or spoiled.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>

/** One entry to write. Defaults give a deflated regular file made on Unix with mode 0644. */
struct ZipItem {
    QByteArray name; // stored bytes of the name
    QByteArray data; // contents; for a link, its target
    bool deflate = true; // else stored
    quint32 unixMode = 0100644; // 0: made on DOS, no Unix mode
    bool dosFolder = false; // DOS folder attribute
    bool utf8Flag = false; // general purpose bit 11
    bool encrypted = false; // general purpose bit 0 (the data is left as it is)
    int method = -1; // when >= 0, written as the method instead of the real one
    bool badCrc = false; // store a wrong CRC-32
    bool cutShort = false; // claim more compressed bytes than there are (put it last)
    qint64 unixTime = -1; // extended timestamp field (UTC seconds), when >= 0
    int dosYear = 2021, dosMonth = 3, dosDay = 4, dosHour = 5, dosMinute = 6, dosSecond = 8;
    bool zip64 = false; // sizes and offset in a ZIP64 extra field
    quint64 claimedSize = 0; // when nonzero, the central directory claims this expanded size
    QByteArray unicodePath; // Info-ZIP Unicode Path field (UTF-8), when not empty

    static ZipItem file(const QByteArray &name, const QByteArray &data)
    {
        ZipItem i;
        i.name = name;
        i.data = data;
        return i;
    }
    static ZipItem folder(const QByteArray &name)
    {
        ZipItem i;
        i.name = name;
        i.unixMode = 040755;
        i.deflate = false;
        return i;
    }
    static ZipItem link(const QByteArray &name, const QByteArray &target)
    {
        ZipItem i;
        i.name = name;
        i.data = target;
        i.unixMode = 0120777;
        i.deflate = false;
        return i;
    }
};

struct ZipOptions {
    bool zip64End = false; // write the ZIP64 end records
    int dropTail = 0; // bytes cut off the end, as from a download that stopped early
    QByteArray prefix; // bytes in front of the archive (a self-extractor stub)
};

/** The bytes of a .zip archive holding the items in order. */
QByteArray buildZip(const QList<ZipItem> &items, const ZipOptions &options = {});

/** Raw deflate of the data (libdeflate, level 6). */
QByteArray deflateRaw(const QByteArray &data);
