// A dialog document shown without a modal loop, so a test can send its
// controls messages and look at them between steps. It records the commands
// that reach the dialog's hook.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "zab/CZABDialog.h"

class CModelessDialog : public CZABDialog {
public:
    struct Command {
        CZABElement* element;
        int code;
        int id;
        HWND control;
    };

    explicit CModelessDialog(CZABEngine* engine);
    ~CModelessDialog() override;
    // Loads the document at `path` and shows it; false when it does not show.
    bool Open(const std::wstring& path);
    LRESULT OnChildCommand(CZABElement* element, int code, int id, HWND control) override;
    LRESULT OnChildNotify(CZABElement* element, WPARAM wParam, NMHDR* header) override;
    // Answers the messages waiting for this thread, through the dialog
    // manager as a modal loop would.
    void Pump();
    // An element by id, of the type asked for.
    template <class T>
    T* Find(const WCHAR* id) {
        return dynamic_cast<T*>(FindById(id));
    }

    std::vector<Command> commands;
    // Called with every notification that no element handled.
    std::function<void(CZABElement*, NMHDR*)> onNotify;
};
