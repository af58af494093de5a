#include "qorvasim/timing.h"

#include <algorithm>
#include <array>

namespace qorva::sim {

namespace {

// Passes kept for a card nobody takes them from (a test without a reader).
constexpr size_t kMaxPendingPasses = 1 << 20;

std::atomic<uint64_t> nextRecorderId{1};

// The recorder this thread last reported to, and its entry there.
struct ThreadSlot {
    uint64_t recorder = 0;
    void* thread = nullptr;
};
thread_local ThreadSlot threadSlot;

}  // namespace

const char* spanName(SpanKind kind) {
    static constexpr std::array<const char*, 11> kNames = {
        "pass",           "layer sizes",     "players fetched", "updateLayerFrame",    "scale",
        "render()",       "output textures", "endFrame()",      "vertical blank wait", "input pass",
        "scaleInputFrame"};
    return kNames[static_cast<size_t>(kind)];
}

struct TimingRecorder::Card {
    std::string text;
    const VBlank* vblank = nullptr;
    mutable std::mutex mutex;
    std::vector<PassTiming> pending;
    uint64_t passes = 0;
    uint64_t missed = 0;
    TimingClock::time_point lastStart;
    int64_t lastBlank = -1;
};

struct TimingRecorder::Thread {
    uint32_t number = 0;
    int32_t currentCard = -1;
    TimingClock::time_point passStart;
    TimingClock::time_point inputStart;
    std::atomic<bool> frameSync{false};
    std::atomic<bool> input{false};
    mutable std::mutex mutex;  // the cards and spans, read by threadSpans()
    std::vector<uint32_t> cards;
    std::vector<CallSpan> spans;
};

TimingRecorder::TimingRecorder(bool spans, size_t maxSpans)
    : _keepSpans(spans), _maxSpans(maxSpans), _id(nextRecorderId++) {}

TimingRecorder::~TimingRecorder() = default;

uint32_t TimingRecorder::addCard(const std::string& text, const VBlank& vblank) {
    auto card = std::make_unique<Card>();
    card->text = text;
    card->vblank = &vblank;
    _cards.push_back(std::move(card));
    const auto number = static_cast<uint32_t>(_cards.size() - 1);
    _cardNumbers[text] = number;
    return number;
}

int32_t TimingRecorder::cardNumber(const std::string& text) const {
    const auto it = _cardNumbers.find(text);
    return it == _cardNumbers.end() ? -1 : static_cast<int32_t>(it->second);
}

const std::string& TimingRecorder::cardText(uint32_t card) const { return _cards[card]->text; }

std::chrono::nanoseconds TimingRecorder::blankPeriod(uint32_t card) const { return _cards[card]->vblank->period(); }

TimingRecorder::Thread& TimingRecorder::thisThread() {
    if (threadSlot.recorder == _id) return *static_cast<Thread*>(threadSlot.thread);
    std::lock_guard lock(_threadsMutex);
    Thread& thread = _threads.emplace_back();
    thread.number = static_cast<uint32_t>(_threads.size());
    threadSlot = {_id, &thread};
    return thread;
}

void TimingRecorder::passBegins(int32_t card) {
    if (card < 0) return;
    Thread& thread = thisThread();
    thread.currentCard = card;
    thread.passStart = TimingClock::now();
    const auto number = static_cast<uint32_t>(card);
    if (std::find(thread.cards.begin(), thread.cards.end(), number) != thread.cards.end()) return;
    std::lock_guard lock(thread.mutex);
    thread.cards.push_back(number);
}

void TimingRecorder::passEnds(int32_t card) {
    Thread& thread = thisThread();
    if (card < 0 || thread.currentCard != card) return;
    thread.currentCard = -1;
    const auto end = TimingClock::now();
    Card& c = *_cards[static_cast<size_t>(card)];
    PassTiming timing{static_cast<uint32_t>(card), 0, thread.passStart, end - thread.passStart};
    const int64_t blank = c.vblank->blankIndex(timing.start);
    {
        std::lock_guard lock(c.mutex);
        timing.pass = ++c.passes;
        if (c.passes > 1) timing.interval = timing.start - c.lastStart;
        if (c.lastBlank >= 0 && blank > c.lastBlank + 1) timing.missed = static_cast<uint64_t>(blank - c.lastBlank - 1);
        c.missed += timing.missed;
        c.lastStart = timing.start;
        c.lastBlank = blank;
        if (c.pending.size() < kMaxPendingPasses) c.pending.push_back(timing);
    }
    if (_keepSpans) keep(thread, {SpanKind::Pass, card, timing.start, timing.duration});
}

void TimingRecorder::inputPassBegins() {
    Thread& thread = thisThread();
    thread.input = true;
    thread.inputStart = TimingClock::now();
}

void TimingRecorder::inputPassEnds() {
    if (!_keepSpans) return;
    Thread& thread = thisThread();
    keep(thread, {SpanKind::InputPass, -1, thread.inputStart, TimingClock::now() - thread.inputStart});
}

void TimingRecorder::addSpan(SpanKind kind, int32_t card, TimingClock::time_point begin) {
    const auto end = TimingClock::now();
    Thread& thread = thisThread();
    keep(thread, {kind, card < 0 ? thread.currentCard : card, begin, end - begin});
}

void TimingRecorder::sawFrameSyncValue() { thisThread().frameSync = true; }

void TimingRecorder::keep(Thread& thread, const CallSpan& span) {
    if (_spanCount.fetch_add(1, std::memory_order_relaxed) >= _maxSpans) {
        _spansDropped = true;
        return;
    }
    std::lock_guard lock(thread.mutex);
    thread.spans.push_back(span);
}

std::vector<PassTiming> TimingRecorder::takePasses(uint32_t card) {
    std::vector<PassTiming> taken;
    Card& c = *_cards[card];
    std::lock_guard lock(c.mutex);
    taken.swap(c.pending);
    return taken;
}

uint64_t TimingRecorder::passes(uint32_t card) const {
    std::lock_guard lock(_cards[card]->mutex);
    return _cards[card]->passes;
}

uint64_t TimingRecorder::missed(uint32_t card) const {
    std::lock_guard lock(_cards[card]->mutex);
    return _cards[card]->missed;
}

std::vector<ThreadSpans> TimingRecorder::threadSpans() const {
    std::vector<ThreadSpans> out;
    std::lock_guard lock(_threadsMutex);
    for (const Thread& thread : _threads) {
        std::lock_guard threadLock(thread.mutex);
        out.push_back({thread.number, thread.frameSync, thread.input, thread.cards, thread.spans});
    }
    return out;
}

}  // namespace qorva::sim
