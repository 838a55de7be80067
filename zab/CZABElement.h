// Base of every node of a dialog element tree: the dialog at the root, the
// window-less containers and every control. It reads the attributes all
// elements share, owns its children, lays them out on a grid, and declares
// the operations through which the dialog drives creation, layout,
// notifications and values.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <memory>
#include <vector>
#include "zab/ZABText.h"
#include "zab/ZABXml.h"

class CZABEngine;
class CZABGrid;
class CZABWindowClass;

class CZABElement {
public:
    CZABElement(CZABElement* parent, CZABEngine* engine);

    // The table of operations, in its fixed order.
    virtual ~CZABElement();
    virtual BOOL QueryElement(const WCHAR* type, CZABElement** out);
    virtual void GetMinSize(SIZE* size);
    virtual void Layout(int x, int y, int cx, int cy);
    virtual BOOL LoadFromXml(IXMLDOMNode* node);
    virtual BOOL LoadDocument(const WCHAR* url, const WCHAR* rootName, HINSTANCE instance);
    virtual void AddChild(CZABElement* child);
    virtual BOOL Create();
    virtual void OnActivate(CZABElement* source);
    virtual BOOL OnNotify(WPARAM wParam, NMHDR* header);
    virtual BOOL OnCommand(int code, int id, HWND control);
    virtual int GetKind();
    virtual HWND GetHostWindow();
    virtual void SetValue(int value);
    virtual int GetValue();
    virtual void SetText(const WCHAR* text);
    virtual const WCHAR* GetText();
    virtual void UpdateVisibility();
    virtual void UpdateEnabled();
    virtual BOOL IsDisabled();
    virtual BOOL IsHidden();

    CZABElement(const CZABElement&) = delete;
    CZABElement& operator=(const CZABElement&) = delete;

    // Depth-first, in document order; the element itself first. Ids are
    // compared without regard to case; none and no window never match.
    CZABElement* FindById(const WCHAR* id);
    CZABElement* FindByWindow(HWND window);
    CZABElement* GetRoot();
    void SetHidden(BOOL hidden);
    const WCHAR* GetTextOr(const WCHAR* fallback);

    const WCHAR* GetLocId() const;
    const WCHAR* GetId() const;
    CZABElement* GetParent() const;
    CZABEngine* GetEngine() const;
    HWND GetWindow() const;
    int GetChildCount() const;
    CZABElement* GetChild(int index) const;
    // The child at `index` as the class of the type name `type`; none when
    // it is of another type.
    template <typename Element>
    Element* GetChildAs(int index, const WCHAR* type) const {
        CZABElement* child = GetChild(index);
        CZABElement* found = nullptr;
        return child && child->QueryElement(type, &found) ? static_cast<Element*>(found) : nullptr;
    }
    int GetHorizontalFlex() const;
    int GetVerticalFlex() const;
    int GetOrientation() const;

    // Documents nested deeper or holding more elements than this are not
    // built: they are not dialogs anyone wrote, and every level costs stack.
    static const int kMaxDepth = 100;
    static const int kMaxElements = 4096;

protected:
    // The answer of QueryElement for an element whose type name is `own`.
    BOOL AnswerQuery(const WCHAR* own, const WCHAR* type, CZABElement** out);
    // Attribute readers bound to this element's engine and locid.
    ZABText ReadLocText(IXMLDOMNode* node, const WCHAR* name) const;
    // WS_VISIBLE and WS_DISABLED for a control as the tree says now.
    DWORD StateStyle();
    // The minimum a control measured; it replaces "minwidth" and "minheight".
    void SetMinimum(int cx, int cy);
    // A minimum of "width" by "height" dialog units, or of the defaults
    // where the document gives none.
    void SetMinimumInUnits(int defaultWidth, int defaultHeight);
    // Dialog units on the host window, in pixels.
    int MapX(int units);
    int MapY(int units);
    // Makes this element's control in its parent's host window: a child with
    // the element's control id, visible and enabled as the tree says, with
    // the stock GUI font unless `withFont` is false. Returns the window.
    HWND CreateControl(const WCHAR* className, const WCHAR* text, DWORD style, DWORD exStyle = 0,
                       bool withFont = true);
    // Makes this element's own-drawn window of `windowClass` in its parent's
    // host window, as CreateControl does; `self` reaches the class's window
    // procedure as the creation parameter.
    HWND CreateDrawnControl(const CZABWindowClass& windowClass, void* self, const WCHAR* text,
                            DWORD style);
    // Sends to the control; 0 while there is none.
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    CZABElement* m_parent;
    CZABEngine* m_engine;
    int m_controlId = 0;
    ZABText m_id;
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    int m_maxWidth = 0;
    int m_maxHeight = 0;
    int m_minWidth = 0;
    int m_minHeight = 0;
    BOOL m_hidden = FALSE;
    BOOL m_disabled = FALSE;
    int m_hFlex = 0;
    int m_vFlex = 0;
    int m_orientation = 0;
    int m_hSpacing = 0;
    int m_vSpacing = 0;
    int m_columns = 0;
    int m_rows = 0;
    HWND m_window = nullptr;
    ZABText m_locid;
    int m_marginLeft = 0;
    int m_marginRight = 0;
    int m_marginTop = 0;
    int m_marginBottom = 0;
    std::vector<std::unique_ptr<CZABElement>> m_children;

private:
    void BuildChildren(IXMLDOMNode* node);
    int GetDepth() const;
    // The grid the children are laid out on, measured.
    CZABGrid ChildGrid();
};
