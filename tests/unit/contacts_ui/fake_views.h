// Fake views of the contacts windows: they record what the logic shows and
// answer its questions as a test tells them to.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/pascal.h"
#include "contacts/core/adresar_okno.h"
#include "contacts/core/historia_okno.h"
#include "contacts/core/outlook_import.h"
#include "contacts/core/pridaj_cislo.h"

namespace vx::test {

// Language line N is "T<N>", so a test sees which line was used where.
inline std::string Text(int n) { return "T" + IntToStr(n); }

class FakeAdresarView : public IAdresarView {
public:
    std::map<TPrvokAdresara, std::string> texts;
    std::map<int, std::string> status;
    std::vector<int> progress;
    bool hourglass = false;
    bool hdalsi = false;
    int topRow = -1;
    int selLeft = -1, selTop = -1, selRight = -1, selBottom = -1;
    int selectedTop = 1, selectedBottom = 1;
    std::vector<std::string> messages;
    std::vector<std::pair<std::string, std::string>> questions;  // text, caption
    bool answerOk = true;
    std::string inputAnswer;
    int inputBoxes = 0;
    std::string inputCaption, inputPrompt;
    int sortAnswer = 0;
    int sortDialogs = 0;
    std::function<void()> onAddNumber;
    std::function<void()> onOutlook;
    std::string dialCaption;
    int gridChanged = 0;

    void SetText(TPrvokAdresara p, const std::string& t) override { texts[p] = t; }
    void SetStatus(int panel, const std::string& t) override { status[panel] = t; }
    void SetStatusPath(int panel, const std::string& t) override { status[panel] = t; }
    void SetProgress(int p) override { progress.push_back(p); }
    void SetHourglass(bool on) override { hourglass = on; }
    bool HDalsiEnabled() override { return hdalsi; }
    void SetHDalsiEnabled(bool on) override { hdalsi = on; }
    void SetTopRow(int r) override { topRow = r; }
    void SelectCells(int l, int t, int r, int b) override {
        selLeft = l, selTop = t, selRight = r, selBottom = b;
    }
    void SelectedRows(int& t, int& b) override {
        t = selectedTop;
        b = selectedBottom;
    }
    void GridChanged() override { ++gridChanged; }
    void ShowMessage(const std::string& t) override { messages.push_back(t); }
    bool Question(const std::string& t, const std::string& c) override {
        questions.emplace_back(t, c);
        return answerOk;
    }
    std::string InputBox(const std::string& c, const std::string& p, const std::string&) override {
        ++inputBoxes;
        inputCaption = c;
        inputPrompt = p;
        return inputAnswer;
    }
    int ShowSortDialog() override {
        ++sortDialogs;
        return sortAnswer;
    }
    void ShowAddNumber() override {
        if (onAddNumber) onAddNumber();
    }
    void ShowOutlookImport() override {
        if (onOutlook) onOutlook();
    }
    void SetDialEntryCaption(const std::string& t) override { dialCaption = t; }
};

class FakePridajView : public IPridajCisloView {
public:
    std::map<TPrvokPridania, std::string> texts;
    std::map<TPolePridania, std::string> edits;
    std::vector<std::string> messages;
    void SetText(TPrvokPridania p, const std::string& t) override { texts[p] = t; }
    std::string Edit(TPolePridania p) override { return edits[p]; }
    void SetEdit(TPolePridania p, const std::string& t) override { edits[p] = t; }
    void ShowMessage(const std::string& t) override { messages.push_back(t); }
};

// The main window's last-ten grid (calling number, name, firm) and display.
class FakeHlavne : public IHlavneOknoMena {
public:
    std::string cislo[10], meno[10], firma[10];
    std::string zobrazene, zobrazeneMeno, zobrazenaFirma;
    std::string CisloVRiadku(int r) override { return cislo[r]; }
    void SetMenoVRiadku(int r, const std::string& m, const std::string& f) override {
        meno[r] = m;
        firma[r] = f;
    }
    std::string ZobrazeneCislo() override { return zobrazene; }
    void SetZobrazene(const std::string& m, const std::string& f) override {
        zobrazeneMeno = m;
        zobrazenaFirma = f;
    }
};

class FakeHistoriaView : public IHistoriaView {
public:
    std::map<TPrvokHistorie, std::string> texts;
    std::map<int, std::string> status;
    bool hourglass = false;
    bool filterChecked = false;
    int topRow = -1;
    int gridChanged = 0;
    bool gaugeVisible = false;
    std::vector<int> gauge;
    std::function<void()> onFilterDialog;
    void SetText(TPrvokHistorie p, const std::string& t) override { texts[p] = t; }
    void SetStatus(int panel, const std::string& t) override { status[panel] = t; }
    void SetStatusPath(int panel, const std::string& t) override { status[panel] = t; }
    void SetHourglass(bool on) override { hourglass = on; }
    int filterAsked = 0;
    bool FilterChecked() override {
        ++filterAsked;
        return filterChecked;
    }
    void SetFilterChecked(bool on) override { filterChecked = on; }
    void SetTopRow(int r) override { topRow = r; }
    void GridChanged() override { ++gridChanged; }
    void ShowGauge(bool v) override { gaugeVisible = v; }
    void SetGauge(int p) override { gauge.push_back(p); }
    void ShowFilterDialog() override {
        if (onFilterDialog) onFilterDialog();
    }
};

class FakeFilterView : public IFilterView {
public:
    std::map<TPrvokFiltra, std::string> texts;
    TPoliaFiltra polia;
    void SetText(TPrvokFiltra p, const std::string& t) override { texts[p] = t; }
    void SetPolia(const TPoliaFiltra& p) override { polia = p; }
    TPoliaFiltra Polia() override { return polia; }
};

class FakeImportView : public IImportView {
public:
    std::map<TPrvokImportu, std::string> texts;
    std::string predvolba;
    std::vector<std::string> memo;
    int memoCleared = 0;
    std::vector<int> gauge;
    std::vector<std::string> messages;
    void SetText(TPrvokImportu p, const std::string& t) override { texts[p] = t; }
    std::string Predvolba() override { return predvolba; }
    void SetPredvolba(const std::string& t) override { predvolba = t; }
    void ClearMemo() override {
        ++memoCleared;
        memo.clear();
    }
    void AddMemoLine(const std::string& l) override { memo.push_back(l); }
    void SetGauge(int p) override { gauge.push_back(p); }
    void ShowMessage(const std::string& t) override { messages.push_back(t); }
};

}  // namespace vx::test
