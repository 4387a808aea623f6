// A player in a private install folder with one song in its list, as the lyrics tests start.
#pragma once

#include <gtest/gtest.h>

#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "tests/test_support.h"

class SongPlayerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        form_ = new TForm1(dir_.path() + "/");
        run_ = Ctrl->Run.get();
        ListBox1->SetItems({"<?" + dir_.file("song.mp3") + "?>"});
        run_->Index = 0;
        run_->Length = 245000;
        run_->LrcFileControl = "11000";
    }
    void TearDown() override {
        form_->QuietClose = true;
        form_->close();
        delete form_;
    }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
    TRun* run_ = nullptr;
};
