#include "ZipWriter.h"

#include <QtEndian>

#include <libdeflate.h>

namespace {

void put16(QByteArray &b, quint32 v)
{
    b.append(char(v & 0xff));
    b.append(char((v >> 8) & 0xff));
}
void put32(QByteArray &b, quint32 v)
{
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}
void put64(QByteArray &b, quint64 v)
{
    put32(b, quint32(v));
    put32(b, quint32(v >> 32));
}

quint32 crc32(const QByteArray &d) { return libdeflate_crc32(0, d.constData(), size_t(d.size())); }

} // namespace

QByteArray deflateRaw(const QByteArray &data)
{
    libdeflate_compressor *c = libdeflate_alloc_compressor(6);
    QByteArray out(int(libdeflate_deflate_compress_bound(c, size_t(data.size()))), Qt::Uninitialized);
    const size_t n = libdeflate_deflate_compress(
        c, data.constData(), size_t(data.size()), out.data(), size_t(out.size()));
    libdeflate_free_compressor(c);
    out.truncate(int(n));
    return out;
}

QByteArray buildZip(const QList<ZipItem> &items, const ZipOptions &options)
{
    QByteArray zip = options.prefix;
    QByteArray central;
    const qint64 base = options.prefix.size();
    for (const ZipItem &it : items) {
        const QByteArray payload = it.deflate ? deflateRaw(it.data) : it.data;
        const quint16 method = it.method >= 0 ? quint16(it.method) : (it.deflate ? 8 : 0);
        const quint32 crc = crc32(it.data) ^ (it.badCrc ? 0x5a5a5a5au : 0u);
        const quint16 flags = (it.utf8Flag ? 0x0800 : 0) | (it.encrypted ? 0x0001 : 0);
        const quint16 dosDate = quint16(((it.dosYear - 1980) << 9) | (it.dosMonth << 5) | it.dosDay);
        const quint16 dosTime = quint16((it.dosHour << 11) | (it.dosMinute << 5) | (it.dosSecond / 2));
        const quint64 size = it.claimedSize ? it.claimedSize : quint64(it.data.size());
        const quint64 csize = quint64(payload.size()) + (it.cutShort ? 4096 : 0);
        const quint64 offset = quint64(zip.size() - base);

        QByteArray extra;
        if (it.unixTime >= 0) {
            put16(extra, 0x5455);
            put16(extra, 5);
            extra.append(char(1));
            put32(extra, quint32(it.unixTime));
        }
        if (!it.unicodePath.isEmpty()) {
            put16(extra, 0x7075);
            put16(extra, quint16(5 + it.unicodePath.size()));
            extra.append(char(1));
            put32(extra, crc32(it.name));
            extra.append(it.unicodePath);
        }

        QByteArray local;
        put32(local, 0x04034b50);
        put16(local, it.zip64 ? 45 : 20);
        // the fields both headers share, from the flags to the sizes; ZIP64 moves the sizes (and, in
        // the central directory, the offset) into an extra field
        const auto putShared = [&](QByteArray &header, QByteArray &headerExtra, bool withOffset) {
            put16(header, flags);
            put16(header, method);
            put16(header, dosTime);
            put16(header, dosDate);
            put32(header, crc);
            if (it.zip64) {
                put32(header, 0xffffffffu);
                put32(header, 0xffffffffu);
                QByteArray z;
                put16(z, 0x0001);
                put16(z, withOffset ? 24 : 16);
                put64(z, size);
                put64(z, csize);
                if (withOffset)
                    put64(z, offset);
                headerExtra.prepend(z);
            } else {
                put32(header, quint32(csize));
                put32(header, quint32(size));
            }
        };
        QByteArray localExtra = extra;
        putShared(local, localExtra, false);
        put16(local, quint16(it.name.size()));
        put16(local, quint16(localExtra.size()));
        zip += local + it.name + localExtra + payload;

        const bool madeOnUnix = it.unixMode != 0;
        QByteArray cd;
        put32(cd, 0x02014b50);
        put16(cd, madeOnUnix ? (3 << 8) | 30 : 20);
        put16(cd, it.zip64 ? 45 : 20);
        QByteArray cdExtra = extra;
        putShared(cd, cdExtra, true);
        put16(cd, quint16(it.name.size()));
        put16(cd, quint16(cdExtra.size()));
        put16(cd, 0); // comment
        put16(cd, 0); // disk
        put16(cd, 0); // internal attributes
        put32(cd, (it.unixMode << 16) | (it.dosFolder ? 0x10 : 0));
        put32(cd, it.zip64 ? 0xffffffffu : quint32(offset));
        central += cd + it.name + cdExtra;
    }
    const quint64 cdOffset = quint64(zip.size() - base);
    zip += central;
    if (options.zip64End) {
        const quint64 end64 = quint64(zip.size() - base);
        QByteArray e;
        put32(e, 0x06064b50);
        put64(e, 44);
        put16(e, 45);
        put16(e, 45);
        put32(e, 0);
        put32(e, 0);
        put64(e, quint64(items.size()));
        put64(e, quint64(items.size()));
        put64(e, quint64(central.size()));
        put64(e, cdOffset);
        put32(e, 0x07064b50);
        put32(e, 0);
        put64(e, end64);
        put32(e, 1);
        zip += e;
    }
    QByteArray end;
    put32(end, 0x06054b50);
    put16(end, 0);
    put16(end, 0);
    put16(end, options.zip64End ? 0xffff : quint16(items.size()));
    put16(end, options.zip64End ? 0xffff : quint16(items.size()));
    put32(end, options.zip64End ? 0xffffffffu : quint32(central.size()));
    put32(end, options.zip64End ? 0xffffffffu : quint32(cdOffset));
    put16(end, 0);
    zip += end;
    zip.chop(options.dropTail);
    return zip;
}
