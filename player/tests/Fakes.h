// Fakes of the player window and of what the save flow asks of the system.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "player/PlayerForm.h"
#include "player/SaveFlow.h"
#include "recorder/StreamReader.h"

namespace mrv::player {

struct Restart {
    bool playing;
    int64_t fromMs;
    bool operator==(const Restart&) const = default;
};

class FakeView : public PlayerView {
  public:
    int64_t ElapsedMs() override { return elapsed; }
    void RestartClock(bool playing, int64_t fromMs) override {
        restarts.push_back({playing, fromMs});
        elapsed = 0;
        restartSpeed = sound.speed;
    }
    void ShowPlaying(bool p) override { playing = p; }
    void ShowPosition(int64_t ms, bool moveBar) override {
        shown = ms;
        barMoved = moveBar;
    }
    void SetFullScreen(bool f) override { fullScreen = f; }
    void ApplySound(const SoundSettings& s) override { sound = s; }
    void ReachedEnd(int64_t ms) override { endedAt = ms; }
    void ShowSelection(const Selection& s) override { selection = s.range(), ++selectionShown; }

    int64_t elapsed = 0;
    std::vector<Restart> restarts;
    bool playing = false;
    int64_t shown = -1;
    bool barMoved = false;
    bool fullScreen = false;
    SoundSettings sound;
    Speed restartSpeed = Speed::Normal;
    int64_t endedAt = -1;
    TimeRange selection;
    int selectionShown = 0;
};

// A stream with its reader and time line, ready before the form that is built on them.
struct IndexedStream {
    explicit IndexedStream(std::vector<uint8_t> bytes) : stream(std::move(bytes)) {
        reader.Open(stream);
        timeline.Build(stream, reader.header());
    }
    std::vector<uint8_t> stream;
    StreamReader reader;
    playback::Timeline timeline;
};

class FakeSaveShell : public SaveShell {
  public:
    std::optional<SaveChoice> AskSaveName(const SaveDialogSetup& setup) override {
        suggested.push_back(setup.suggested);
        offeredType = setup.preset.typeIndex;
        offeredSkipIdle = setup.preset.skipIdle;
        offered = setup;
        return choice;
    }
    SystemFolders Folders() override { return folders; }
    std::optional<int64_t> EstimateGifBytes(const ExportRequest& request) override {
        estimated.push_back(request);
        return estimate;
    }
    bool AskYesNo(const char* text) override {
        questions.push_back(text);
        return answerYes;
    }
    void ShowError(const char* text) override { errors.push_back(text); }
    bool AskRetry(const std::string& text) override {
        retryQuestions.push_back(text);
        if (onRetryQuestion) onRetryQuestion();
        if (retryAnswers.empty()) return false;
        const bool again = retryAnswers.front();
        retryAnswers.pop_front();
        return again;
    }
    ExportResult MoveKept(const exporting::KeptOutput& kept) override {
        moved.push_back(kept);
        if (moveResults.empty()) return {};
        const ExportResult r = moveResults.front();
        moveResults.pop_front();
        return r;
    }
    void DiscardKept(const exporting::KeptOutput& kept) override { discarded.push_back(kept); }
    std::optional<std::string> AskFfmpegLocation() override {
        ++locateAsked;
        return located;
    }
    std::string FindFfmpeg(const std::string& userChosen,
                           const std::string& recordingDir) override {
        untrustedDirs.push_back(recordingDir);
        return userChosen.empty() ? found : userChosen;
    }
    void RememberFfmpeg(const std::string& path) override { remembered = path; }
    void StartExport(const ExportRequest& request) override { started.push_back(request); }
    void CancelExport() override { ++cancels; }
    void ShowProgress(int32_t permille, const std::string& timeLeft) override {
        progressShown = true;
        lastPermille = permille;
        lastTimeLeft = timeLeft;
    }
    void CloseProgress() override { progressShown = false; }
    int64_t NowMs() override { return now; }

    std::optional<SaveChoice> choice;
    SystemFolders folders;
    std::optional<int64_t> estimate;
    bool answerYes = false;
    std::optional<std::string> located;
    std::string found;
    int64_t now = 0;

    std::vector<std::string> suggested;
    int32_t offeredType = -1;
    bool offeredSkipIdle = false;
    std::deque<bool> retryAnswers;          // in turn; false once used up
    std::deque<ExportResult> moveResults;   // in turn; Done once used up
    std::function<void()> onRetryQuestion;  // while the question is open

    SaveDialogSetup offered;
    std::vector<ExportRequest> estimated;
    std::vector<std::string> questions;
    std::vector<std::string> errors;
    std::vector<std::string> retryQuestions;
    std::vector<std::string> untrustedDirs;
    std::vector<exporting::KeptOutput> moved, discarded;
    int locateAsked = 0;
    std::string remembered;
    std::vector<ExportRequest> started;
    int cancels = 0;
    bool progressShown = false;
    int32_t lastPermille = -1;
    std::string lastTimeLeft;
};

}  // namespace mrv::player
