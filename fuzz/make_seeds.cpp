// Writes each fuzz target's seed corpus: <folder>/<target>/<n>, small real-world shaped inputs.
#include "seed_pictures.h"

#include <QDir>
#include <QFile>
#include <QStringConverter>
#include <QStringEncoder>
#include <cstdio>

namespace {

QByteArray Gb18030(const QString& text) {
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QList<QByteArray> Playlists() {
    return {
        "#EXTM3U\r\n#EXTINF:205,Artist - Song\r\n/music/a.mp3\r\nrelative.mp3\r\n"
        "http://host/play?id=3.mp3\r\nC:\\Music\\b.WMA\r\n",
        "[playlist]\nFile1=/music/one.ogg\nTitle1=One\nLength1=61\nFile2=mms://host/live.asf\n"
        "NumberOfEntries=2\nVersion=2\n",
        "\xEF\xBB\xBF/music/\xE6\xAD\x8C.mp3\n/music/list.KPL\n\t /music/x.rm \t\n",
        Gb18030("/音乐/歌曲.mp3\r\nD:\\歌\\曲.wav\r\n"),
        "<?/music/a.mp3?><*Song*><#03:25#>\r\n<?http://host/s.rm?>\r\n<:12345\r\n",
    };
}

QList<QByteArray> Entries() {
    return {
        QByteArray("\0\0\0\0\0\0\0\0", 8) + "<?/music/a.mp3?><*Song*><#03:25#>",
        "12345678<?C:\\Music\\b.wma?><#123:04#>\n<?http://host/dir/?>\n<*only a title*>",
        "abcdefgh#>03:25<#?>/x.mp3<?\n<:code\n/music/a:b.mp3\n<?/x/y.z.MP3?><#99:59#>",
    };
}

QList<QByteArray> Pledits() {
    return {
        "[Text]\r\nNormal=#00FF00\r\nCurrent=#FFFFFF\r\nNormalBG=#000000\r\nSelectedBG=#0000FF\r\n"
        "Font=Arial\r\nmbBG=#000000\r\nmbFG=#00FF00\r\n",
        "[text]\nnormal = \"#2F2B66\"\ncurrent=2F2B66\nNormalBG=#12\nSelectedBG=#ZZZZZZ\n",
    };
}

QList<QByteArray> Inis() {
    return {
        "[Setup]\r\nWorkPath=/opt/velmora/\r\nVolume=0x1F\r\nMute=1\r\n\r\n[Skin]\r\nName = 'default'\r\n"
        "Left=$FFFFFFFF\r\n",
        Gb18030("; 注释\n[播放]\nTitle=\"歌曲\"\nsetup=-12\n[SETUP]\nworkpath=second\n[Empty]\n=novalue\n"),
        "key=before any section\n[a]\nk=1\nk=2\n[A]\nk=3\n[b\nbroken\n",
        // Section, key and value for a write, split by \x01.
        "[Skin]\nName=old\nSkin\x01 Name \x01 'new' value ",
        "[a]\n\x01k\x01\"quoted\"",
    };
}

QList<QByteArray> Registries() {
    return {
        "[Software\\Velmora]\n@=sz:\"default value\"\n\"WorkPath\"=sz:\"/opt/velmora/\"\n"
        "\"Contexts\"=dword:00000022\n\"ProxyPort\"=hex:db,06,00,00\n"
        "[Software\\Velmora\\Skins]\n\"Name\"=sz:\"a\\\\b \\\"q\\\" \\n\\u4E2D\"\n",
        "[Software]\n[Software\\Ctl%0A%25]\n\"x\"=dword:FFFFFFFF\n\"X\"=sz:\"dup\"\ngarbage line\n"
        "[.kpl\\shell\\open]\n@=sz:\"/usr/bin/velmora \\\"%1\\\"\"\n",
    };
}

bool WriteAll(const QString& folder, const QList<QByteArray>& inputs) {
    if (!QDir().mkpath(folder)) return false;
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        QFile file(folder + "/seed-" + QString::number(i));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(inputs[i]) != inputs[i].size())
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const bool ok = WriteAll(root + "/playlist_files_fuzz", Playlists()) &&
                    WriteAll(root + "/playlist_item_fuzz", Entries()) &&
                    WriteAll(root + "/bmp_fuzz", seeds::Bitmaps()) &&
                    WriteAll(root + "/cursor_fuzz", seeds::Cursors()) &&
                    WriteAll(root + "/pledit_fuzz", Pledits()) && WriteAll(root + "/ini_fuzz", Inis()) &&
                    WriteAll(root + "/registry_fuzz", Registries());
    if (!ok) std::fprintf(stderr, "cannot write the seed corpus under %s\n", argv[1]);
    return ok ? 0 : 1;
}
