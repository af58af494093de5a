#include "trace.h"

#include <fstream>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace sandbox {

namespace {

using qorva::sim::CallSpan;
using qorva::sim::SpanKind;
using qorva::sim::ThreadSpans;
using qorva::sim::TimingRecorder;

constexpr int kProcess = 1;

double microseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

std::string shortName(const std::string& cardText) { return cardText.substr(0, cardText.find('(')); }

std::string trackName(const TimingRecorder& recorder, const ThreadSpans& thread) {
    if (thread.input) return "input source thread";
    std::string cards;
    for (uint32_t card : thread.cards) cards += " " + shortName(recorder.cardText(card));
    if (thread.frameSync) return "frame sync thread," + cards;
    if (!thread.cards.empty()) return "render thread," + cards;
    return fmt::format("other host calls, thread {}", thread.thread);
}

nlohmann::json trackEvent(const TimingRecorder& recorder, const ThreadSpans& thread) {
    return {{"ph", "M"},
            {"name", "thread_name"},
            {"pid", kProcess},
            {"tid", thread.thread},
            {"args", {{"name", trackName(recorder, thread)}}}};
}

// A pass is named after its card, so that the passes on the frame sync track tell
// their cards apart; the calls within carry the card as an argument.
nlohmann::json spanEvent(const TimingRecorder& recorder, uint32_t tid, const CallSpan& span,
                         std::chrono::steady_clock::time_point start) {
    const std::string card = span.card >= 0 ? recorder.cardText(static_cast<uint32_t>(span.card)) : "";
    std::string name = qorva::sim::spanName(span.kind);
    if (span.kind == SpanKind::Pass) name += " " + shortName(card);
    nlohmann::json event = {{"ph", "X"},
                            {"name", name},
                            {"cat", span.kind == SpanKind::Pass ? "pass" : "call"},
                            {"pid", kProcess},
                            {"tid", tid},
                            {"ts", microseconds(span.begin - start)},
                            {"dur", microseconds(span.length)}};
    if (!card.empty()) event["args"] = {{"card", card}};
    return event;
}

}  // namespace

// The events are made and serialised one by one by the JSON library, so that an
// hour's trace does not need a document of millions of objects in memory.
bool writeTrace(const TimingRecorder& recorder, const std::filesystem::path& path,
                std::chrono::steady_clock::time_point start, std::string& error) {
    std::ofstream out(path);
    if (!out) {
        error = "cannot open " + path.string();
        return false;
    }
    out << "{\"displayTimeUnit\":\"ms\",\"traceEvents\":[\n";
    const char* separator = "";
    const auto put = [&](const nlohmann::json& event) {
        out << separator << event.dump();
        separator = ",\n";
    };
    for (const ThreadSpans& thread : recorder.threadSpans()) {
        if (thread.spans.empty()) continue;
        put(trackEvent(recorder, thread));
        for (const CallSpan& span : thread.spans) put(spanEvent(recorder, thread.thread, span, start));
    }
    out << "\n]}\n";
    out.close();
    if (!out) error = "cannot write " + path.string();
    return static_cast<bool>(out);
}

}  // namespace sandbox
