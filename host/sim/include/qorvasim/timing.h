#pragma once
// Frame timing as the host sees it: the simulated services report the calls the
// library makes, and the recorder times each card's passes with the host's own clock
// (start, duration, interval since the previous pass, blanks missed between them).
// With spans on it also keeps every call's span per thread, for a trace. The library
// is not involved: a service without a recorder pays one pointer load per call.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "qorvasim/vblank.h"

namespace qorva::sim {

using TimingClock = std::chrono::steady_clock;

struct PassTiming {
    uint32_t card = 0;  // the recorder's card number
    uint64_t pass = 0;  // 1 for the card's first pass
    TimingClock::time_point start;
    TimingClock::duration duration{};
    TimingClock::duration interval{};  // since the previous pass's start; 0 for the first
    uint64_t missed = 0;               // blanks that passed between the two starts without a pass
};

enum class SpanKind : uint8_t {
    Pass,
    LayerSizes,
    PlayersFetched,
    UpdateLayerFrame,
    Scale,
    Render,
    OutputTextures,
    EndFrame,
    VBlankWait,
    InputPass,
    InputScale,
};
const char* spanName(SpanKind kind);

struct CallSpan {
    SpanKind kind = SpanKind::Pass;
    int32_t card = -1;  // -1: no card (the input source pass)
    TimingClock::time_point begin;
    TimingClock::duration length{};
};

// The spans of one thread, in the order they ended.
struct ThreadSpans {
    uint32_t thread = 0;     // 1, 2, ... in the order the threads were first seen
    bool frameSync = false;  // its passes carried the frame sync library's value
    bool input = false;      // it ran input source passes
    std::vector<uint32_t> cards;
    std::vector<CallSpan> spans;
};

class TimingRecorder {
public:
    // `spans`: keep call spans too, up to `maxSpans` in all (then they are dropped).
    explicit TimingRecorder(bool spans = false, size_t maxSpans = 2'000'000);
    ~TimingRecorder();
    TimingRecorder(const TimingRecorder&) = delete;
    TimingRecorder& operator=(const TimingRecorder&) = delete;

    // Before the run: a card by its text, timed against its vertical blank.
    uint32_t addCard(const std::string& text, const VBlank& vblank);
    int32_t cardNumber(const std::string& text) const;
    const std::string& cardText(uint32_t card) const;
    std::chrono::nanoseconds blankPeriod(uint32_t card) const;
    size_t cards() const { return _cards.size(); }
    bool spans() const { return _keepSpans; }

    // From the services: the first call of a card's pass, and its last (endFrame).
    void passBegins(int32_t card);
    void passEnds(int32_t card);
    void inputPassBegins();
    void inputPassEnds();
    // A call on this thread, within the card's pass (-1: the pass in progress).
    void addSpan(SpanKind kind, int32_t card, TimingClock::time_point begin);
    void sawFrameSyncValue();

    // The passes recorded since the last call, for the card.
    std::vector<PassTiming> takePasses(uint32_t card);
    uint64_t passes(uint32_t card) const;
    uint64_t missed(uint32_t card) const;
    // Every thread's spans so far (call once the threads are done); whether some were dropped.
    std::vector<ThreadSpans> threadSpans() const;
    bool spansDropped() const { return _spansDropped; }

private:
    struct Card;
    struct Thread;
    Thread& thisThread();
    void keep(Thread& thread, const CallSpan& span);

    const bool _keepSpans;
    const size_t _maxSpans;
    const uint64_t _id;  // tells this recorder's thread entries from an earlier one's
    std::vector<std::unique_ptr<Card>> _cards;
    std::map<std::string, uint32_t> _cardNumbers;
    mutable std::mutex _threadsMutex;
    std::list<Thread> _threads;
    std::atomic<size_t> _spanCount{0};
    std::atomic<bool> _spansDropped{false};
};

// Times one host call for the trace; does nothing without a recorder or spans.
class SpanScope {
public:
    SpanScope(TimingRecorder* recorder, SpanKind kind, int32_t card = -1)
        : _recorder(recorder && recorder->spans() ? recorder : nullptr), _kind(kind), _card(card) {
        if (_recorder) _begin = TimingClock::now();
    }
    ~SpanScope() {
        if (_recorder) _recorder->addSpan(_kind, _card, _begin);
    }
    SpanScope(const SpanScope&) = delete;
    SpanScope& operator=(const SpanScope&) = delete;

private:
    TimingRecorder* const _recorder;
    const SpanKind _kind;
    const int32_t _card;
    TimingClock::time_point _begin;
};

}  // namespace qorva::sim
