#pragma once

#include <cstdint>
#include <string>

class TDoc;

// Side panels the model asks to refresh.
enum : std::uint32_t {
    prSections = 1,
    prStyles = 2,
};

// What the document model asks of the program around it: the main window
// (interface refresh, progress, the document to activate), the document
// dispatcher, the command manager's state and the writing tools'
// background spellchecking.
//
// The shell installs the real host when it starts; until then (and in the
// model's own tests, which install a recording host) the base class stands,
// which does nothing and answers "no".
class TModelHost {
public:
    virtual ~TModelHost() = default;

    // Marks menus, bars and status bar for refresh at idle / refreshes now.
    virtual void InvalidateUI() {}
    virtual void RefreshUI() {}
    virtual void RefreshSidePanels(std::uint32_t panels) {}
    virtual void ClearStatusText() {}

    // The main window's progress display.
    virtual bool ProgressShown() { return false; }
    virtual void BeginProgress(std::int32_t max, const std::string& text) {}
    virtual void SetProgressPosition(std::int32_t position) {}
    virtual void EndProgress(bool showFull) {}

    // The document the main window activates after a linked undo or redo.
    virtual void SetDocumentToActivate(TDoc* doc) {}
    virtual bool IsActiveDocument(const TDoc& doc) { return false; }
    // The other document of a side-by-side pair with synchronous scrolling.
    virtual TDoc* SideBySidePartner(const TDoc& doc) { return nullptr; }
    virtual bool IsFileOpenElsewhere(const TDoc& doc) { return false; }
    virtual void SetDispatcherBusy(bool busy) {}
    // Every open document laid out anew (after the interface colours
    // changed).
    virtual void RelayoutAllDocuments() {}
    // The Fast Navigation return place is dropped by every operation except
    // while the command manager copies to the clipboard.
    virtual bool ClipboardCopyRunning() { return false; }
    virtual void ForgetFastNavigationReturn() {}

    virtual void RestartBackgroundSpellcheck(TDoc& doc) {}

    virtual bool ApplicationTerminating() { return false; }
};

TModelHost& ModelHost();
// Installs a host (nullptr restores the silent one); returns the previous.
TModelHost* SetModelHost(TModelHost* host);
