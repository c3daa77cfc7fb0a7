#pragma once

class TTabManager;

// Installs a tab manager for a test's lifetime (the tab manager's header
// and the table rows' cannot share one translation unit: their alignment
// names clash).
class TTabManagerScope {
public:
    TTabManagerScope();
    TTabManagerScope(const TTabManagerScope&) = delete;
    TTabManagerScope& operator=(const TTabManagerScope&) = delete;
    ~TTabManagerScope();

private:
    TTabManager* Manager = nullptr;
};
