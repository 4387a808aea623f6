// TDisplay's skin loading: the bitmaps, cursors and colours of skins/default/, with the built-in
// skin library standing in for whatever the skin lacks, and the reload after a skin install.
#include <algorithm>

#include "platform/text_file.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/engines.h"
#include "player/app/form1.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/skin/sheet_fit.h"
#include "player/skin/skin_files.h"

namespace {

// Larger than any bitmap within the pixel cap of a skin (at 32 bits, or in its worst run-length
// form); a bigger file is not read at all.
constexpr qint64 kMaxSkinFileBytes = qint64(40) << 20;
constexpr qint64 kMaxColorFileBytes = qint64(1) << 20;
constexpr qint64 kMaxCursorFileBytes = qint64(4) << 20;

QString SkinFolder() { return Ctrl->InstallFolder + QStringLiteral("skins/default/"); }
QString SkinLibrary() { return Ctrl->InstallFolder + QStringLiteral("Plugins/skins.dll"); }

qint64 PixelsOf(const QImage& image) { return qint64(image.width()) * image.height(); }

// Pixels held by all sixteen sheets, for the cap on one skin as a whole.
qint64 SheetPixels(const TDisplay& d) {
    qint64 total = 0;
    for (const QImage* sheet : {&d.AvsBmp, &d.BalanceBmp, &d.CbuttonsBmp, &d.EqmainBmp, &d.EqExBmp, &d.MainBmp,
                                &d.MbBmp, &d.MonosterBmp, &d.NumbersBmp, &d.PlaypausBmp, &d.PleditBmp, &d.PosbarBmp,
                                &d.ShufrepBmp, &d.TextBmp, &d.TitlebarBmp, &d.VolumeBmp})
        total += PixelsOf(*sheet);
    return total;
}

QImage BuiltInSheet(const QString& name) { return DecodeBmp(BuiltInSkinResource(SkinLibrary(), "BITMAP", name)); }

struct CursorSlotFile {
    int slot;
    const char* file;
    const char* resource;
};
constexpr CursorSlotFile kCursorSlots[] = {
    {1, "normal.cur", "NORMAL"},     {2, "volbal.cur", "VOLBAL"},     {3, "titlebar.cur", "TITLEBAR"},
    {4, "psize.cur", "PSIZE"},       {5, "pvscroll.cur", "PVSCROLL"}, {6, "wsclose.cur", "WSCLOSE"},
};
static_assert(std::size(kCursorSlots) == 6);

// The eleven bitmaps of the main window, in their loading order.
void LoadMainBitmaps(TDisplay& d) {
    d.LoadSkinBitmap(d.BalanceBmp, QStringLiteral("balance"));
    d.LoadSkinBitmap(d.CbuttonsBmp, QStringLiteral("cbuttons"));
    d.LoadSkinBitmap(d.MainBmp, QStringLiteral("main"));
    d.LoadSkinBitmap(d.MonosterBmp, QStringLiteral("monoster"));
    // Skins made after the extended digits existed ship nums_ex.bmp; both share one cell layout.
    const bool extended = !FindFileNoCase(SkinFolder(), QStringLiteral("nums_ex.bmp")).isEmpty();
    d.LoadSkinBitmap(d.NumbersBmp, extended ? QStringLiteral("nums_ex") : QStringLiteral("numbers"));
    // The built-in skin has no nums_ex: a damaged one falls back to the built-in digits.
    if (extended && d.NumbersBmp.isNull()) d.LoadSkinBitmap(d.NumbersBmp, QStringLiteral("numbers"));
    d.LoadSkinBitmap(d.PlaypausBmp, QStringLiteral("playpaus"));
    d.LoadSkinBitmap(d.PosbarBmp, QStringLiteral("posbar"));
    d.LoadSkinBitmap(d.ShufrepBmp, QStringLiteral("shufrep"));
    d.LoadSkinBitmap(d.TextBmp, QStringLiteral("text"));
    d.LoadSkinBitmap(d.TitlebarBmp, QStringLiteral("titlebar"));
    d.LoadSkinBitmap(d.VolumeBmp, QStringLiteral("volume"));
}

// The RealAudio control's average bandwidth in kbps; 0 when the control could not be made.
int RealAudioKbps() {
    TReal* real = Ctrl->Run->Real;
    return real && real->Control() ? real->Control()->GetBandwidthAverage() / 1000 : 0;
}

void ShowIfVisible(QWidget* window) {
    if (window && window->isVisible()) {
        window->show();
        window->raise();
    }
}

}  // namespace

void TDisplay::LoadSkinBitmap(QImage& bitmap, const QString& name) {
    // The sheet being replaced gives its room back.
    const qint64 room = std::max<qint64>(0, kMaxSkinPixels - (SheetPixels(*this) - PixelsOf(bitmap)));
    QImage image;
    const QString path = FindFileNoCase(SkinFolder(), name + QStringLiteral(".bmp"));
    if (!path.isEmpty()) image = DecodeBmp(ReadSkinFile(path, kMaxSkinFileBytes), room);
    // A damaged, hostile or oversized file counts as missing, and a sheet cut too small lends the
    // rectangles it lacks from the built-in picture: the windows stay usable either way.
    skin_layout::Sheet sheet{};
    const bool known = SheetForName(name, &sheet);
    if (image.isNull())
        image = BuiltInSheet(name);
    else if (known && !CoversLayout(image, sheet))
        image = FillFromBuiltIn(image, sheet, BuiltInSheet(QLatin1String(skin_layout::sheetInfo(sheet).name)));
    // The sheets stay for as long as the skin does, as sources of every later copy.
    bitmap = CompactSheet(std::move(image));
}

void TDisplay::LoadMainSkin() {
    SliderDragging = false;
    LoadMainBitmaps(*this);
    if (Ctrl->ReadBool(QStringLiteral("UseCursor"), true)) {
        LoadSkinCursors();
        Ctrl->SkinCursors = 1;
    } else {
        Ctrl->SkinCursors = 0;
    }
}

void TDisplay::LoadSkinCursors() {
    const QString folder = SkinFolder();
    for (const CursorSlotFile& entry : kCursorSlots) {
        QCursor cursor;
        const QString path = FindFileNoCase(folder, QLatin1String(entry.file));
        bool loaded = !path.isEmpty() && DecodeCursor(ReadSkinFile(path, kMaxCursorFileBytes), &cursor);
        if (!loaded)
            loaded = DecodeCursor(BuiltInSkinResource(SkinLibrary(), "CURSOR", QLatin1String(entry.resource)), &cursor);
        // With neither, the slot goes back to the ordinary arrow rather than keep an old skin's cursor.
        if (loaded)
            SetSkinCursor(entry.slot, cursor);
        else
            ClearSkinCursor(entry.slot);
    }
    // A widget keeps the cursor it was given, not the slot: the rows and the title take the new one.
    if (ListBox1) ListBox1->setCursor(SkinCursor(1));
    if (TitleImage) TitleImage->setCursor(SkinCursor(1));
}

void TDisplay::LoadPlaylistColors() {
    QStringList lines;
    const QString path = FindFileNoCase(SkinFolder(), QStringLiteral("Pledit.txt"));
    // A colour file is a few lines; anything huge is not one and leaves the defaults.
    if (!path.isEmpty()) lines = platform::SplitLines(platform::DecodeText(ReadSkinFile(path, kMaxColorFileBytes)));
    const PlaylistColors c = PlaylistColorsFromLines(lines);
    Normal = ColorFromWord(c.Normal);
    NormalBG = ColorFromWord(c.NormalBG);
    Current = ColorFromWord(c.Current);
    SelectedBG = ColorFromWord(c.SelectedBG);
    MBBG = ColorFromWord(c.MBBG);
    MBFG = ColorFromWord(c.MBFG);
}

void TDisplay::ReloadSkin() {
    LoadMainBitmaps(*this);
    BuildMainWindow(Ctrl->Volume, Ctrl->Balance, false);
    if (Ctrl->Run->EngineCode == Engine::Winamp) DrawBitrate(128, 44);
    if (Ctrl->Run->EngineCode == Engine::Real) DrawBitrate(RealAudioKbps(), 0);
    // The playing cells only: a reload leaves the tray icon as it is.
    if (Ctrl->Run->Position > 0) DrawPlayStateCells(0);
    PaintMain();
    if (PlaylistWindow) {
        LoadSkinBitmap(PleditBmp, QStringLiteral("pledit"));
        BuildPlaylistWindow(false);
        PaintPlaylist();
    }
    if (EqualizerWindow) {
        LoadSkinBitmap(EqmainBmp, QStringLiteral("eqmain"));
        LoadSkinBitmap(EqExBmp, QStringLiteral("eq_ex"));
        BuildEqualizerWindow(false);
        PaintEqualizer();
    }
    if (Form4 || !AvsBmp.isNull()) LoadSkinBitmap(AvsBmp, QStringLiteral("avs"));
    if (Form4) {
        BuildVideoWindow(false);
        PaintVideo();
        Form4->update();
    }
    if (Form5) {
        LoadSkinBitmap(MbBmp, QStringLiteral("mb"));
        BuildBrowserWindow(false);
        PaintBrowser();
    }
    if (Ctrl->SkinCursors) LoadSkinCursors();
    BuildScrollTitle();
    ShowIfVisible(Form1);
    ShowIfVisible(PlaylistWindow);
    ShowIfVisible(EqualizerWindow);
    ShowIfVisible(Form5);
    ShowIfVisible(Form4);
}
