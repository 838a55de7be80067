// The owner's callback of the clipboard watcher and history store.
#pragma once

class ObClipEventHandler {
public:
    // The history list or the state of an item changed. Runs on the thread
    // that made the change (the watcher thread or the user-interface thread),
    // always after the list's lock has been released, so it must be safe on
    // both threads.
    virtual void OnHistoryChanged() = 0;

protected:
    ~ObClipEventHandler() = default;
};
