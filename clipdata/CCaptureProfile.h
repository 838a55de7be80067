// Where a capture's time goes: QueryPerformanceCounter spans summed per part,
// read and reset by the capture benchmark's profiling build. Only a build
// configured with MX_CAPTURE_PROFILE records anything; in every other build
// the span macros are empty and the parts stay 0.
#pragma once
#include <windows.h>

#include <vector>

class CCaptureProfile {
public:
    enum Part {
        Clipboard,    // the clipboard open: open, list, copy out, close
        Open,         // OpenClipboard, with the busy retries
        ListFormats,  // the formats and the exclusion check
        CopyOut,      // the known formats' blocks copied into memory
        Digest,       // digests and previews from the copies
        BringBack,    // the history searched for an entry holding the copy
        NewFile,      // the snapshot's temporary file made
        DiskRoom,     // the free space asked for
        Streams,      // the format streams written, thumbnails included
        Thumbnail,    // picture thumbnails scaled down
        Commit,       // the compound file's tables and header written
        Rename,       // the temporary file given its own name
        Index,        // the capture added to the history list
        PartCount
    };

    static const char* Name(Part part);
    static void Add(Part part, LONGLONG ticks);
    // The sum of the part since the last take, in ticks; resets it.
    static LONGLONG Take(Part part);
    // When the watcher first heard of a change since the last take.
    static void MarkNotified();
    static LONGLONG TakeNotified();

    // A moment of the watcher's work with a value (a sequence number), kept
    // for a trace of a burst: the last few thousand since the last take.
    struct Mark {
        LONGLONG at;
        const char* what;
        DWORD value;
    };
    static void AddMark(const char* what, DWORD value);
    static std::vector<Mark> TakeMarks();

    // Adds the time from its making to Stop or its end to the part.
    class Span {
    public:
        explicit Span(Part part);
        ~Span() { Stop(); }
        Span(const Span&) = delete;
        Span& operator=(const Span&) = delete;
        void Stop();

    private:
        Part m_part;
        LONGLONG m_start;
    };
};

#ifdef MX_CAPTURE_PROFILE
#define MX_PROFILE_SPAN(part) CCaptureProfile::Span mxProfile##part(CCaptureProfile::part)
#define MX_PROFILE_STOP(part) mxProfile##part.Stop()
#define MX_PROFILE_NOTIFIED() CCaptureProfile::MarkNotified()
#define MX_PROFILE_MARK(what, value) CCaptureProfile::AddMark(what, value)
#else
#define MX_PROFILE_MARK(what, value) ((void)0)
#define MX_PROFILE_SPAN(part) ((void)0)
#define MX_PROFILE_STOP(part) ((void)0)
#define MX_PROFILE_NOTIFIED() ((void)0)
#endif
