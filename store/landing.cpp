// Landing order of held writes: crash-safe where the bytes allow it, never more writes than were made.
#include "store/landing.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "store/file_manager.h"
#include "store/le.h"

namespace pel {

namespace {

using Span = std::pair<int64_t, int64_t>;  // [first, second)

// The final bytes of every written range, as disjoint sorted runs.
struct Image {
  struct Run {
    int64_t start, end;
    size_t first;  // index of the earliest write that touched it
    std::vector<uint8_t> bytes;
  };
  std::vector<Run> runs;

  explicit Image(const std::vector<LandingWrite>& writes) {
    std::vector<size_t> order(writes.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return writes[a].offset < writes[b].offset; });
    for (size_t i : order) {
      int64_t start = writes[i].offset, end = start + static_cast<int64_t>(writes[i].bytes.size());
      if (!runs.empty() && start <= runs.back().end) {
        runs.back().end = std::max(runs.back().end, end);
        runs.back().first = std::min(runs.back().first, i);
      } else {
        runs.push_back({start, end, i, {}});
      }
    }
    for (Run& run : runs) run.bytes.resize(static_cast<size_t>(run.end - run.start));
    for (const LandingWrite& w : writes) {
      Run& run = RunAt(w.offset);
      std::memcpy(run.bytes.data() + (w.offset - run.start), w.bytes.data(), w.bytes.size());
    }
  }

  Run& RunAt(int64_t at) {
    auto it = std::upper_bound(runs.begin(), runs.end(), at,
                               [](int64_t v, const Run& r) { return v < r.start; });
    return *std::prev(it);
  }
  bool Covers(Span s) const {
    for (const Run& r : runs)
      if (r.start <= s.first && s.second <= r.end) return true;
    return false;
  }
  LandingWrite Bytes(Span s) {
    Run& r = RunAt(s.first);
    auto from = r.bytes.begin() + (s.first - r.start);
    return {s.first, std::vector<uint8_t>(from, from + (s.second - s.first))};
  }
};

enum Class { kHeader, kRootWord, kNewCount, kOldCount, kDeadAlready, kDeadOnceEmptied, kGrown, kShrunk, kLive };

}  // namespace

std::vector<LandingWrite> PlanLanding(const std::vector<LandingWrite>& writes,
                                      const BlockFileLayout& old, const BlockFileLayout& now,
                                      size_t maxWrites) {
  Image image(writes);
  const Span header{kRootBlockOffset, kHeaderSize};

  // Fallback, and the whole plan for a new file: bytes the old file does not
  // use first, the header last.
  auto simple = [&] {
    std::vector<LandingWrite> plan;
    if (old.empty) {
      // A new file: everything past the header first, the magic text and
      // header last, so that a file cut off before holds no store yet.
      std::vector<LandingWrite> last;
      for (Image::Run& r : image.runs) {
        if (r.end > kHeaderSize) plan.push_back(image.Bytes({std::max<int64_t>(r.start, kHeaderSize), r.end}));
        if (r.start < kHeaderSize) last.push_back(image.Bytes({r.start, std::min<int64_t>(r.end, kHeaderSize)}));
      }
      plan.insert(plan.end(), last.begin(), last.end());
      return plan;
    }
    // Runs in space the old file does not use, then the others, then the
    // root block's word, then the header.
    auto rank = [&](const Image::Run& r) {
      if (r.start < kHeaderSize && r.end > kRootBlockOffset) return 3;
      if (old.rootBlock != -1 && r.start < int64_t{old.rootBlock} + 4 && r.end > old.rootBlock) return 2;
      bool unused = r.start >= old.usedEnd + 4 + 8 * static_cast<int64_t>(old.freeExtents.size());
      for (const auto& f : old.freeExtents) unused |= r.start >= f.first && r.end <= f.first + f.second;
      return unused ? 0 : 1;
    };
    std::vector<const Image::Run*> order;
    for (const Image::Run& r : image.runs) order.push_back(&r);
    std::stable_sort(order.begin(), order.end(), [&](const Image::Run* a, const Image::Run* b) {
      return rank(*a) != rank(*b) ? rank(*a) < rank(*b) : a->first < b->first;
    });
    for (const Image::Run* r : order) plan.push_back({r->start, r->bytes});
    return plan;
  };
  if (old.empty || old.rootBlock == -1 || now.rootBlock != old.rootBlock) return simple();

  const int64_t oldFreeListEnd = old.usedEnd + 4 + 8 * static_cast<int64_t>(old.freeExtents.size());
  const int64_t newFreeListEnd = now.usedEnd + 4 + 8 * static_cast<int64_t>(now.freeExtents.size());
  const bool grows = now.usedEnd > old.usedEnd, shrinks = now.usedEnd < old.usedEnd;
  // A file that grows past its old free-list area moves its header on before
  // anything lands there: the old area is then space nothing uses.
  const bool growsPast = now.usedEnd >= oldFreeListEnd;
  const Span rootWord{old.rootBlock, int64_t{old.rootBlock} + 4};
  const Span oldCount{old.usedEnd, old.usedEnd + 4}, newCount{now.usedEnd, now.usedEnd + 4};

  auto inside = [](int64_t at, Span s) { return s.first <= at && at < s.second; };
  auto classOf = [&](int64_t at) {
    if (inside(at, header)) return kHeader;
    if (inside(at, rootWord)) return kRootWord;
    if (inside(at, newCount)) return kNewCount;
    if (growsPast && inside(at, {old.usedEnd, oldFreeListEnd})) return kGrown;
    if (inside(at, oldCount)) return kOldCount;
    if (at >= oldFreeListEnd) return kDeadAlready;
    for (const Span& f : old.freeExtents)
      if (inside(at, {f.first, f.first + f.second})) return kDeadAlready;
    if (at >= old.usedEnd + 4) return kDeadOnceEmptied;
    if (shrinks && inside(at, {now.usedEnd, old.usedEnd})) return kShrunk;
    return kLive;
  };
  // Every run cut where its class changes.
  std::vector<int64_t> cuts = {header.first, header.second, rootWord.first, rootWord.second,
                               oldCount.first, oldCount.second, newCount.first, newCount.second,
                               oldFreeListEnd, old.usedEnd + 4, now.usedEnd, old.usedEnd};
  for (const Span& f : old.freeExtents) cuts.insert(cuts.end(), {f.first, f.first + f.second});
  std::sort(cuts.begin(), cuts.end());
  std::vector<std::pair<Class, Span>> pieces;  // in run order, runs in the order first written
  std::vector<const Image::Run*> byFirst;
  for (const Image::Run& r : image.runs) byFirst.push_back(&r);
  std::stable_sort(byFirst.begin(), byFirst.end(),
                   [](const Image::Run* a, const Image::Run* b) { return a->first < b->first; });
  for (const Image::Run* r : byFirst) {
    int64_t at = r->start;
    while (at < r->end) {
      auto next = std::upper_bound(cuts.begin(), cuts.end(), at);
      int64_t end = next == cuts.end() ? r->end : std::min(*next, r->end);
      Class c = classOf(at);
      if (!pieces.empty() && pieces.back().first == c && pieces.back().second.second == at)
        pieces.back().second.second = end;
      else
        pieces.push_back({c, {at, end}});
      at = end;
    }
  }
  // Header, root word and count words are written whole; a write that
  // covered only part of one (which the store never makes) gets the plain order.
  const std::pair<Class, Span> words[] = {
      {kHeader, header}, {kRootWord, rootWord}, {kNewCount, newCount}, {kOldCount, oldCount}};
  for (const auto& [k, s] : pieces)
    for (const auto& [wk, ws] : words)
      if (k == wk && !image.Covers(ws)) return simple();
  auto all = [&](Class c) {
    std::vector<LandingWrite> out;
    for (auto& [k, s] : pieces)
      if (k == c) out.push_back(image.Bytes(s));
    return out;
  };
  auto word = [](Span s, int32_t v) {
    LandingWrite w{s.first, std::vector<uint8_t>(4)};
    PutLe32(w.bytes.data(), v);
    return w;
  };
  auto add = [](std::vector<LandingWrite>& plan, std::vector<LandingWrite> more) {
    plan.insert(plan.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  };

  // A new free list that frees nothing the old records use may stand in
  // for theirs at once.
  bool newListHarmless = true;
  for (const auto& [p, n] : now.freeExtents) {
    bool ok = p >= old.usedEnd;
    for (const auto& [q, m] : old.freeExtents) ok |= p >= q && p + n <= q + m;
    newListHarmless &= ok;
  }

  std::vector<LandingWrite> plan;
  add(plan, all(kDeadAlready));  // also every write that makes the file longer
  const bool emptyFirst = !old.freeExtents.empty() && !growsPast;
  if (emptyFirst) plan.push_back(word(oldCount, 0));  // the old records stay; free space is parked
  add(plan, all(kDeadOnceEmptied));
  bool newCountFinal = false;
  if (grows) {
    newCountFinal = newListHarmless && image.Covers(newCount);
    plan.push_back(newCountFinal ? image.Bytes(newCount) : word(newCount, 0));
    if (image.Covers(header)) plan.push_back(image.Bytes(header));
    add(plan, all(kGrown));
    if (!growsPast && image.Covers(oldCount)) plan.push_back(image.Bytes(oldCount));
  }
  // Rewrites of used blocks that touch the root block's word land with it in
  // one write: the new root index often takes the place of the old one there,
  // and the switch to it must not come before or after its bytes.
  Span switchSpan = rootWord;
  for (bool grew = true; grew && image.Covers(rootWord);) {
    grew = false;
    for (auto& [k, s] : pieces) {
      if (k != kLive) continue;
      if (s.first == switchSpan.second) switchSpan.second = s.second, k = kRootWord, grew = true;
      else if (s.second == switchSpan.first) switchSpan.first = s.first, k = kRootWord, grew = true;
    }
  }
  add(plan, all(kLive));
  if (!grows && !shrinks && image.Covers(header)) plan.push_back(image.Bytes(header));
  if (image.Covers(rootWord)) plan.push_back(image.Bytes(switchSpan));  // the new records take over
  if (shrinks) {
    add(plan, all(kShrunk));
    bool oldCountInNewList = oldCount.first < newFreeListEnd;
    if (oldCountInNewList && image.Covers(oldCount)) plan.push_back(image.Bytes(oldCount));
    if (image.Covers(newCount)) plan.push_back(image.Bytes(newCount));
    if (image.Covers(header)) plan.push_back(image.Bytes(header));
    if (!oldCountInNewList && emptyFirst) {
      // Past the new free list the old count word has no meaning, but it
      // must end as the operation left it.
      plan.push_back(image.Covers(oldCount)
                         ? image.Bytes(oldCount)
                         : word(oldCount, static_cast<int32_t>(old.freeExtents.size())));
    }
  } else if (image.Covers(newCount)) {
    if (!newCountFinal) plan.push_back(image.Bytes(newCount));
  } else if (emptyFirst && !grows) {
    plan.push_back(word(oldCount, static_cast<int32_t>(old.freeExtents.size())));
  }
  if (plan.size() > maxWrites) return simple();
  return plan;
}

}  // namespace pel
