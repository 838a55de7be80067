// The engine's work that knows the elements: the kinds it makes by their
// XML names, and the attributes it localises by an element's locid. Apart
// from the string table and the XML reading, which know no element.
#include "zab/CZABEngine.h"

#include <new>
#include "zab/CZABBox.h"
#include "zab/CZABButton.h"
#include "zab/CZABCheckItem.h"
#include "zab/CZABCheckbox.h"
#include "zab/CZABChecksList.h"
#include "zab/CZABColor.h"
#include "zab/CZABComboBox.h"
#include "zab/CZABDialog.h"
#include "zab/CZABElement.h"
#include "zab/CZABExt.h"
#include "zab/CZABFreeDraw.h"
#include "zab/CZABGroupbox.h"
#include "zab/CZABHotkey.h"
#include "zab/CZABLabel.h"
#include "zab/CZABLine.h"
#include "zab/CZABList.h"
#include "zab/CZABListBox.h"
#include "zab/CZABListCol.h"
#include "zab/CZABListItem.h"
#include "zab/CZABMenuBar.h"
#include "zab/CZABMenuItem.h"
#include "zab/CZABMenuPopup.h"
#include "zab/CZABMenuSeparator.h"
#include "zab/CZABPicture.h"
#include "zab/CZABRadio.h"
#include "zab/CZABRadioGroup.h"
#include "zab/CZABSelectFile.h"
#include "zab/CZABSlider.h"
#include "zab/CZABSpacer.h"
#include "zab/CZABSpin.h"
#include "zab/CZABTab.h"
#include "zab/CZABTabBox.h"
#include "zab/CZABTabPanel.h"
#include "zab/CZABTabSwitcher.h"
#include "zab/CZABTextBox.h"
#include "zab/CZABUrl.h"
#include "zab/CZABWindow.h"

namespace {

using ElementMaker = CZABElement* (*)(CZABElement* parent, CZABEngine* engine);

struct ElementKind {
    const WCHAR* name;
    ElementMaker make;
};

template <typename Element>
CZABElement* Make(CZABElement* parent, CZABEngine* engine) {
    return new (std::nothrow) Element(parent, engine);
}

template <int Orientation>
CZABElement* MakeBox(CZABElement* parent, CZABEngine* engine) {
    return new (std::nothrow) CZABBox(parent, engine, Orientation);
}

// Element names in the order they are matched.
const ElementKind kElementKinds[] = {
    {L"window", Make<CZABWindow>},
    {L"dialog", Make<CZABDialog>},
    {L"textbox", Make<CZABTextBox>},
    {L"box", MakeBox<CZABBox::kAnyOrientation>},
    {L"button", Make<CZABButton>},
    {L"groupbox", Make<CZABGroupbox>},
    {L"label", Make<CZABLabel>},
    {L"checkbox", Make<CZABCheckbox>},
    {L"radio", Make<CZABRadio>},
    {L"combobox", Make<CZABComboBox>},
    {L"menupopup", Make<CZABMenuPopup>},
    {L"menuitem", Make<CZABMenuItem>},
    {L"radiogroup", Make<CZABRadioGroup>},
    {L"spin", Make<CZABSpin>},
    {L"tabbox", Make<CZABTabBox>},
    {L"tabpanel", Make<CZABTabPanel>},
    {L"vbox", MakeBox<1>},
    {L"hbox", MakeBox<0>},
    {L"spacer", Make<CZABSpacer>},
    {L"menubar", Make<CZABMenuBar>},
    {L"listitem", Make<CZABListItem>},
    {L"menuseparator", Make<CZABMenuSeparator>},
    {L"tabswitcher", Make<CZABTabSwitcher>},
    {L"tab", Make<CZABTab>},
    {L"color", Make<CZABColor>},
    {L"slider", Make<CZABSlider>},
    {L"hotkey", Make<CZABHotkey>},
    {L"picture", Make<CZABPicture>},
    {L"listbox", Make<CZABListBox>},
    {L"line", Make<CZABLine>},
    {L"url", Make<CZABUrl>},
    {L"list", Make<CZABList>},
    {L"selectfile", Make<CZABSelectFile>},
    {L"ext", Make<CZABExt>},
    {L"listcol", Make<CZABListCol>},
    {L"checkslist", Make<CZABChecksList>},
    {L"checkitem", Make<CZABCheckItem>},
    {L"freedraw", Make<CZABFreeDraw>},
};

}  // namespace

CZABElement* CZABEngine::CreateElement(const WCHAR* name, CZABElement* parent) {
    for (const ElementKind& kind : kElementKinds) {
        if (ZABSameText(kind.name, name)) return kind.make(parent, this);
    }
    return nullptr;
}

ZABText CZABEngine::GetLocAttr(const CZABElement* element, IXMLDOMNode* node,
                               const WCHAR* name) const {
    const WCHAR* locid = element ? element->GetLocId() : nullptr;
    if (const WCHAR* text = locid ? FindString(locid, name) : nullptr) return ZABCopyText(text);
    return GetAttrString(node, name);
}
