// A fresh controller over a temporary install folder for the settings dialog's suites; the one
// dialog and the proxy keys of other players are gone after each test.
#pragma once

#include <gtest/gtest.h>

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <memory>

#include "dialogs/settings_dialog.h"
#include "platform/registry.h"
#include "player/core/ctrl.h"

class SettingsDialogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProxyKeys();
        dir_.write("setup.ini", QByteArray());
        ctrl_ = std::make_unique<TCtrl>();
        Ctrl = ctrl_.get();
        Ctrl->Init(dir_.path() + "/");
    }
    void TearDown() override {
        delete Form8.data();
        Ctrl = nullptr;
        ClearProxyKeys();
    }
    static void ClearProxyKeys() {
        platform::TRegistry user;
        user.DeleteKey("\\Software\\Microsoft");
        platform::TRegistry classes(platform::RootKey::ClassesRoot);
        classes.DeleteKey("\\Software\\RealNetworks");
    }
    static QStringList NodeCaptions(const TForm8& form) {
        QStringList captions;
        for (QTreeWidgetItemIterator it(Widget<QTreeWidget>(form, "TreeView1")); *it; ++it) captions << (*it)->text(0);
        return captions;
    }

    // A control of the dialog by its form name.
    template <typename T>
    static T* Widget(const QObject& form, const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    testing_support::TempFolder dir_;
    std::unique_ptr<TCtrl> ctrl_;
};
