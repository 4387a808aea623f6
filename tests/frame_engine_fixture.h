// A player whose video goes through the frame engine, over a folder of its own, and the short
// test clips its tests play.
#pragma once

#include <gtest/gtest.h>

#include <QStringList>

#include "platform/message_box.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/playback/run.h"
#include "tests/gst_encode.h"
#include "tests/test_support.h"

class FrameEngineFixture : public ::testing::Test {
protected:
    // The player over filePlus (Plugins/FilePlus.ini) and the [Initialise] lines of setup.ini.
    void StartPlayer(const QByteArray& filePlus, const QByteArray& setup) {
        dir_.write("Plugins/FilePlus.ini", filePlus);
        dir_.write("setup.ini", "[Initialise]\r\nUseDirectShow=1\r\n" + setup);
        // The video window reads its shortcuts from the menu file when it is made, and says so
        // when the file is missing.
        dir_.write("Plugins/MenuPlus.ini", "");
        platform::SetMessageRecorder([this](const QString& text, const QString&, platform::MessageIcon) { messages_ << text; });
        form_ = new TForm1(dir_.path() + "/");
        run_ = Ctrl->Run.get();
    }
    void TearDown() override {
        if (form_) {
            run_->Stop();
            form_->QuietClose = true;
            form_->close();
            delete form_;
        }
        platform::SetMessageRecorder({});
    }
    // An uncompressed 160x120 AVI of a test pattern at 25 frames a second: its colours are exact
    // (a limited-range codec would make black 16).
    QString PatternAvi(const QString& name, const QString& pattern, int frames) {
        const QString path = dir_.file(name);
        const bool made = EncodeWith(QStringLiteral("videotestsrc pattern=%1 num-buffers=%2 ! "
                                                    "video/x-raw,format=BGR,width=160,height=120,framerate=25/1 ! "
                                                    "avimux ! filesink location=")
                                         .arg(pattern)
                                         .arg(frames) +
                                     path);
        return made ? path : QString();
    }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
    TRun* run_ = nullptr;
    QStringList messages_;
};
