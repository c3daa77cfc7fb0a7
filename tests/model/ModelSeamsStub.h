#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/document/TDoc.h"
#include "model/host/TDocClient.h"
#include "model/host/TModelHost.h"

// Stand-ins for the layout, window and shell around a document: they answer
// from fields the test sets and log the requests the model makes, one
// string per call ("Paginate 3 9", "ScrollCaret 3", "Repaint range").
class TRecordingDocClient : public TDocClient {
public:
    explicit TRecordingDocClient(TDoc& doc) : Doc(doc) { doc.Client = this; }
    ~TRecordingDocClient() override { Doc.Client = &NullDocClient(); }

    bool HasWindow() const override { return Window; }
    std::int32_t ClientWidth(const TDoc&, bool) override { return Width; }
    std::int32_t ClientHeight(const TDoc&, bool) override { return Height; }
    void ViewModeChanged(TDoc&) override { Log.push_back("ViewModeChanged"); }
    void RebuildLayout(TDoc&) override { Log.push_back("RebuildLayout"); }
    void RescaleLayout(TDoc&) override { Log.push_back("RescaleLayout"); }
    std::int32_t PageCount(const TDoc&) override { return Pages; }
    void Paginate(TDoc&, std::int32_t from, std::int32_t to) override {
        Log.push_back("Paginate " + std::to_string(from) + " " + std::to_string(to));
    }
    std::int32_t PageOfPar(const TDoc&, std::int32_t par) override {
        auto found = ParPages.find(par);
        return found != ParPages.end() ? found->second : -1;
    }
    bool PageHasContinuedNotes(const TDoc&, std::int32_t page) override { return ContinuedNotes.count(page) != 0; }
    std::int32_t LastVisiblePage(const TDoc&) override { return LastVisible; }
    bool MainParsOfPage(const TDoc&, std::int32_t page, std::int32_t& first, std::int32_t& last) override {
        auto found = PagePars.find(page);
        if (found == PagePars.end())
            return false;
        first = found->second.first;
        last = found->second.second;
        return true;
    }
    bool SelectionOnScreen(const TDoc&, const TCompoundFragment&) override { return OnScreen; }
    void ScrollCaretIntoView(TDoc&, int mode) override { Log.push_back("ScrollCaret " + std::to_string(mode)); }
    bool ScrollTargetIntoView(TDoc&, const TTextPos&, std::int32_t, std::int32_t) override {
        Log.push_back("ScrollTarget");
        return true;
    }
    void Repaint(TDoc&, const TFragment* range) override {
        Log.push_back(range != nullptr ? "Repaint range" : "Repaint all");
    }
    void PlaceCaret(TDoc& doc) override { Log.push_back(doc.StateFlags[39] != 0 ? "PlaceCaret still" : "PlaceCaret"); }

    // The entries of the log that start with a prefix.
    std::vector<std::string> Calls(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& entry : Log)
            if (entry.rfind(prefix, 0) == 0)
                found.push_back(entry);
        return found;
    }

    TDoc& Doc;
    bool Window = false;
    std::int32_t Width = 800;
    std::int32_t Height = 600;
    std::int32_t Pages = 0;
    std::int32_t LastVisible = -1;
    bool OnScreen = false;
    std::map<std::int32_t, std::int32_t> ParPages;
    std::set<std::int32_t> ContinuedNotes;
    std::map<std::int32_t, std::pair<std::int32_t, std::int32_t>> PagePars;
    std::vector<std::string> Log;
};

// The shell's side: progress, interface refreshes and the document to
// activate, logged; installed while the object lives.
class TRecordingModelHost : public TModelHost {
public:
    TRecordingModelHost() : Previous(SetModelHost(this)) {}
    ~TRecordingModelHost() override { SetModelHost(Previous); }

    void InvalidateUI() override { ++UIInvalidations; }
    bool ProgressShown() override { return false; }
    void BeginProgress(std::int32_t max, const std::string& text) override {
        Progress.push_back(text + " /" + std::to_string(max));
    }
    void SetProgressPosition(std::int32_t position) override { Positions.push_back(position); }
    void SetDocumentToActivate(TDoc* doc) override { Activated = doc; }

    std::int32_t UIInvalidations = 0;
    std::vector<std::string> Progress;
    std::vector<std::int32_t> Positions;
    TDoc* Activated = nullptr;

private:
    TModelHost* Previous;
};
