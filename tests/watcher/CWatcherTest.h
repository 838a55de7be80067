// The fixture of the watcher and history tests: a history store in a folder
// of its own, and otherapp.exe copying.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "tests/watcher/WatcherTestSupport.h"
#include "watcher/CObClipboard.h"

class CWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(source.IsRunning());
        store.SetEventHandler(&handler);
    }
    void TearDown() override { store.SetWatching(false); }

    // Starts watching; returns once the watcher leads the viewer chain.
    void Start() {
        store.SetWatching(true);
        ASSERT_TRUE(WaitForWatcher(store));
    }
    // Copies with the other program and waits until the watcher has handled it
    // and the writer has finished behind it: a trimmed entry's file goes only
    // after the catalogue that no longer lists it is written.
    void Copy(const std::string& command) {
        ASSERT_TRUE(source.Copy(command)) << command;
        ASSERT_TRUE(WaitForSequence(store, source.LastSequence())) << command;
        store.Flush();
    }

    CTempFolder folder;
    CountingHandler handler;
    COtherApp source;
    CObClipboard store{folder.Path().c_str()};
};
