// The fixture of the tests that run documents as real modal dialogs.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "tests/zab/CDialogDriver.h"
#include "tests/zab/CProbeEngine.h"
#include "tests/zab/ZabTestSupport.h"
#include "zab/CZABDialog.h"

// Documents run as real modal dialogs of the test engine, driven by steps.
class DialogTest : public ComTest {
protected:
    std::wstring Document(const std::wstring& text) {
        return folder.WriteUtf16(L"dlg" + std::to_wstring(++m_files) + L".xml", text);
    }
    // Runs `dialog` on the document `text` with `steps` driving it.
    INT_PTR RunDialog(CZABDialog& dialog, const std::wstring& text,
                      std::vector<CDialogDriver::Step> steps, HWND owner = nullptr) {
        std::wstring path = Document(text);
        CDialogDriver driver(std::move(steps));
        INT_PTR result = dialog.DoModal(::GetModuleHandleW(nullptr), path.c_str(), owner);
        EXPECT_FALSE(driver.TimedOut());
        EXPECT_TRUE(driver.Finished());
        return result;
    }
    // A step that waits until the dialog is on screen, then does `action`.
    static CDialogDriver::Step WhenShown(CZABDialog& dialog, std::function<void(HWND)> action) {
        return [&dialog, action] {
            HWND window = dialog.GetWindow();
            if (!window || !::IsWindowVisible(window)) return false;
            action(window);
            return true;
        };
    }
    static void Key(HWND window, WPARAM key) { CDialogDriver::Key(window, key); }

    CProbeEngine engine{::GetModuleHandleW(nullptr)};
    TempFolder folder;

private:
    int m_files = 0;
};
