// One stored clipboard format of a snapshot. The object keeps only the
// digest of its data and a small summary; the data lives in the format's
// stream of the snapshot file, which every operation that needs it is handed.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <string>

#include "clipdata/CMD5.h"
#include "clipdata/IFormatEtcList.h"
#include "clipdata/SaveFormatEntry.h"

// The glow colour of the preview operations: a COLORREF, or this for none.
const COLORREF NO_GLOW = static_cast<COLORREF>(-1);

class CClipboardFormat {
public:
    CClipboardFormat();
    // The slot table: keep the order.
    virtual ~CClipboardFormat();
    virtual bool CaptureToStream(IStream* stream) = 0;
    virtual bool RestoreFromStream(IStream* stream);
    virtual void GetStreamName(WCHAR* buffer) const = 0;
    virtual void MeasurePreview(HDC dc, SIZE* size, COLORREF glowColour) const = 0;
    virtual void DrawPreview(HDC dc, const RECT* rect, COLORREF glowColour) const = 0;
    virtual bool LoadFromStream(IStream* stream) = 0;
    virtual void AppendDescription(std::wstring& text) const;
    virtual void AddSaveFormats(SaveFormatList& list) const = 0;
    virtual bool SaveToFile(const SaveFormatEntry& entry, IStream* stream) const = 0;
    virtual HRESULT QueryGetData(const FORMATETC* formatEtc) const;
    virtual HRESULT GetData(const FORMATETC* formatEtc, STGMEDIUM* medium, IStream* stream) const;
    virtual void AddFormatEtcs(IFormatEtcList& list) const;
    // A capture in two steps, so that the clipboard is open only while its
    // blocks are copied out. CaptureBlock takes the digest and the cheap
    // summaries from a copy of the block; WriteBlock, called only for a
    // capture that is kept, writes the stream from the same copy and makes
    // what only a kept format needs (a thumbnail).
    virtual bool CaptureBlock(const BYTE* data, SIZE_T size) = 0;
    virtual bool WriteBlock(const BYTE* data, SIZE_T size, IStream* stream) = 0;
    // The stored data as a new clipboard block, and the format to set it
    // as; null when the stream does not hold it whole.
    virtual HGLOBAL ReadRestoreBlock(IStream* stream, UINT* format) const = 0;

    // Two formats hold the same content exactly when their digests are equal.
    bool HasSameDigest(const CClipboardFormat& other) const;
    const BYTE* GetDigest() const { return m_digest; }

    // Stored sizes are 32-bit; larger clipboard blocks are not kept.
    static constexpr SIZE_T kLargestBlock = 0xFFFFFFF0u;

    CClipboardFormat(const CClipboardFormat&) = delete;
    CClipboardFormat& operator=(const CClipboardFormat&) = delete;

protected:
    // Appends a save choice of this format with an empty file name.
    void AddSaveFormat(SaveFormatList& list, SaveFormat format) const;
    // Writes head then data to a new file; a file that could not be written
    // completely is deleted again.
    static bool WriteWholeFile(const WCHAR* path, const void* head, DWORD headSize,
                               const void* data, DWORD dataSize);
    // Fills a medium with a global block the receiver owns.
    static void SetGlobalMedium(STGMEDIUM* medium, HGLOBAL block);
    // The open clipboard's block of that format, or null when it has none.
    static HANDLE GetClipboardBlock(UINT format);
    // CaptureToStream from the open clipboard's block of that format.
    bool CaptureClipboardBlock(UINT format, IStream* stream);

    CMD5 m_md5;
    BYTE m_digest[CMD5::DigestSize];
};
