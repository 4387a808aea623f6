// The fixture of the desktop cases: one private desktop per case, and its pictures kept where
// VELMORA_DESKTOP_SHOTS names a folder.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <memory>

#include "tests/desktop/desktop_session.h"

namespace desktop {

inline std::string Text(const QRect& r) { return ::testing::PrintToString(r); }

class DesktopTest : public ::testing::Test {
protected:
    void Up(Options options) {
        desk = std::make_unique<Desktop>(options);
        ASSERT_EQ(desk->Error().toStdString(), "");
    }

    QRect Place(unsigned long id) const {
        const std::optional<Window> w = desk->Describe(id);
        return w ? w->place : QRect();
    }

    void Shot(const QString& name) const {
        const QString folder = qEnvironmentVariable("VELMORA_DESKTOP_SHOTS");
        if (folder.isEmpty()) return;
        QDir().mkpath(folder);
        desk->Grab().save(folder + "/" + name + ".png");
    }

    void TearDown() override {
        if (HasFailure() && desk) std::cerr << "player output:\n" << desk->PlayerOutput().toStdString() << "\n";
    }

    std::unique_ptr<Desktop> desk;
};

}  // namespace desktop
