// Zip archives written byte by byte, so a test can make any archive an attacker could: names
// that leave the folder, links, raw GB18030 names without the UTF-8 flag, entries whose stored
// sizes lie, and a deflate stream that inflates to a gigabyte from about a megabyte.
#pragma once

#include <zlib.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <vector>

#include "skin_fixtures.h"  // beside this file: the benchmarks include it too

namespace zip_writer {

struct Entry {
    QByteArray name;  // raw bytes as stored
    QByteArray data;  // stored as is (method 0) or already deflated (method 8)
    quint16 method = 0;
    quint32 crc = 0;
    quint32 size = 0;  // unpacked size
    bool utf8Flag = false;
    quint16 madeBy = 0x031E;  // Unix, version 3.0
    quint32 externalAttributes = 0100644u << 16;
};

using skin_fixtures::Put16;
using skin_fixtures::Put32;

inline quint32 Crc(const QByteArray& data) {
    return quint32(crc32(0, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size())));
}

// A plain file entry, deflated when `deflate`.
inline Entry File(const QByteArray& name, const QByteArray& data, bool compressed = true) {
    Entry e;
    e.name = name;
    e.crc = Crc(data);
    e.size = quint32(data.size());
    if (!compressed) {
        e.data = data;
        return e;
    }
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(data.size()))), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(int(z.total_out));
    deflateEnd(&z);
    e.data = out;
    e.method = 8;
    return e;
}

// A symbolic link entry pointing at target, as Info-ZIP stores one.
inline Entry Link(const QByteArray& name, const QByteArray& target) {
    Entry e = File(name, target, false);
    e.externalAttributes = 0120777u << 16;
    return e;
}

// An entry inflating to `megabytes` MiB of zeros from a few kilobytes per hundred megabytes: one
// self-contained deflate block of a MiB of zeros (a full flush drops the history), repeated.
inline Entry Zeros(const QByteArray& name, quint32 megabytes) {
    const QByteArray mib(1 << 20, '\0');
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    QByteArray block(1 << 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(mib.constData()));
    z.avail_in = uInt(mib.size());
    z.next_out = reinterpret_cast<Bytef*>(block.data());
    z.avail_out = uInt(block.size());
    deflate(&z, Z_FULL_FLUSH);
    block.resize(int(block.size() - z.avail_out));
    QByteArray end(64, '\0');
    z.next_out = reinterpret_cast<Bytef*>(end.data());
    z.avail_out = uInt(end.size());
    deflate(&z, Z_FINISH);
    end.resize(int(end.size() - z.avail_out));
    deflateEnd(&z);

    Entry e;
    e.name = name;
    e.method = 8;
    e.data = block.repeated(megabytes) + end;
    const uLong mibCrc = crc32(0, reinterpret_cast<const Bytef*>(mib.constData()), uInt(mib.size()));
    uLong crc = 0;
    for (quint32 i = 0; i < megabytes; ++i) crc = crc32_combine(crc, mibCrc, z_off_t(mib.size()));
    e.crc = quint32(crc);
    e.size = quint32(quint64(megabytes) << 20);
    return e;
}

inline QByteArray Archive(const std::vector<Entry>& entries) {
    QByteArray out, directory;
    for (const Entry& e : entries) {
        const quint32 offset = quint32(out.size());
        const quint16 flags = e.utf8Flag ? 0x0800 : 0;
        Put32(out, 0x04034b50);
        for (quint32 v : {20u, quint32(flags), quint32(e.method), 0u, 0x5A21u}) Put16(out, v);
        for (quint32 v : {e.crc, quint32(e.data.size()), e.size}) Put32(out, v);
        Put16(out, quint32(e.name.size()));
        Put16(out, 0);
        out += e.name + e.data;

        Put32(directory, 0x02014b50);
        for (quint32 v : {quint32(e.madeBy), 20u, quint32(flags), quint32(e.method), 0u, 0x5A21u}) Put16(directory, v);
        for (quint32 v : {e.crc, quint32(e.data.size()), e.size}) Put32(directory, v);
        for (quint32 v : {quint32(e.name.size()), 0u, 0u, 0u, 0u}) Put16(directory, v);
        Put32(directory, e.externalAttributes);
        Put32(directory, offset);
        directory += e.name;
    }
    const quint32 directoryOffset = quint32(out.size());
    out += directory;
    Put32(out, 0x06054b50);
    for (quint32 v : {0u, 0u, quint32(entries.size()), quint32(entries.size())}) Put16(out, v);
    Put32(out, quint32(directory.size()));
    Put32(out, directoryOffset);
    Put16(out, 0);
    return out;
}

inline bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace zip_writer
