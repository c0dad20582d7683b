#include "rf/linkhistory.h"

#include "rf/linkformulas.h"

#include <algorithm>

LinkCycle linkCycleOf(qint64 number, const QByteArray &answer, qint64 msecsSinceEpoch)
{
    LinkCycle cycle;
    cycle.number = number;
    cycle.msecsSinceEpoch = msecsSinceEpoch;
    if (!LinkFormulas::isValidAnswer(answer))
        return cycle;
    const QByteArray a = LinkFormulas::compactAnswer(answer);
    const auto dbm = [&a](int i) { return int(qint8(a[i])); };
    cycle.received = true;
    if (a.size() == 3) {
        cycle.s1 = dbm(1);
        cycle.n1 = dbm(2);
    } else {
        cycle.module2 = true;
        cycle.s2 = dbm(1);
        cycle.n2 = dbm(2);
        cycle.s1 = dbm(3);
        cycle.n1 = dbm(4);
    }
    return cycle;
}

int snrOf(int signalDbm, int noiseDbm)
{
    return int(quint8(qint8(signalDbm))) - int(quint8(qint8(noiseDbm)));
}

void LinkHistory::Stat::add(double value)
{
    const float v = float(value);
    if (count == 0) {
        min = max = v;
    } else {
        min = std::min(min, v);
        max = std::max(max, v);
    }
    sum += value;
    ++count;
}

void LinkHistory::Stat::merge(const Stat &other)
{
    if (other.count == 0)
        return;
    if (count == 0) {
        *this = other;
        return;
    }
    min = std::min(min, other.min);
    max = std::max(max, other.max);
    sum += other.sum;
    count += other.count;
}

void LinkHistory::Bucket::merge(const Bucket &other)
{
    if (cycles == 0) {
        *this = other;
        return;
    }
    lastMs = other.lastMs;
    lastCycle = other.lastCycle;
    cycles += other.cycles;
    lost += other.lost;
    for (int q = 0; q < kQuantities; ++q)
        stats[q].merge(other.stats[q]);
}

LinkHistory::LinkHistory(int maxBuckets, int shareWindow)
    : m_maxBuckets(std::max(2, maxBuckets + maxBuckets % 2)),
      m_shareWindow(std::max(1, shareWindow)), m_window(std::size_t(m_shareWindow), false)
{
    m_buckets.reserve(std::size_t(m_maxBuckets));
}

void LinkHistory::clear()
{
    m_buckets.clear();
    m_perBucket = 1;
    m_cycles = 0;
    m_lost = 0;
    m_windowNext = 0;
    m_windowFilled = 0;
    m_windowReceived = 0;
    ++m_revision;
}

void LinkHistory::halve()
{
    // Full means an even count: every bucket has a neighbour to merge with.
    const std::size_t half = m_buckets.size() / 2;
    for (std::size_t i = 0; i < half; ++i) {
        Bucket merged = m_buckets[2 * i];
        merged.merge(m_buckets[2 * i + 1]);
        m_buckets[i] = merged;
    }
    m_buckets.resize(half);
    m_perBucket *= 2;
}

void LinkHistory::add(const LinkCycle &cycle)
{
    if (m_buckets.empty() || m_buckets.back().cycles >= m_perBucket) {
        if (int(m_buckets.size()) == m_maxBuckets)
            halve();
        m_buckets.emplace_back();
        m_buckets.back().firstMs = cycle.msecsSinceEpoch;
        m_buckets.back().firstCycle = cycle.number;
    }
    Bucket &b = m_buckets.back();
    b.lastMs = cycle.msecsSinceEpoch;
    b.lastCycle = cycle.number;
    ++b.cycles;

    if (m_windowFilled == m_shareWindow)
        m_windowReceived -= m_window[std::size_t(m_windowNext)] ? 1 : 0;
    else
        ++m_windowFilled;
    m_window[std::size_t(m_windowNext)] = cycle.received;
    m_windowReceived += cycle.received ? 1 : 0;
    m_windowNext = (m_windowNext + 1) % m_shareWindow;
    b.stats[Share].add(100.0 * m_windowReceived / m_windowFilled);

    ++m_cycles;
    if (cycle.received) {
        b.stats[S1].add(cycle.s1);
        b.stats[N1].add(cycle.n1);
        if (cycle.module2) {
            b.stats[S2].add(cycle.s2);
            b.stats[N2].add(cycle.n2);
        }
    } else {
        ++b.lost;
        ++m_lost;
    }
    ++m_revision;
}

std::vector<LinkHistory::Bucket> LinkHistory::condensed(int atMost) const
{
    const std::size_t n = m_buckets.size();
    if (atMost <= 0 || n <= std::size_t(atMost))
        return m_buckets;
    const std::size_t group = (n + std::size_t(atMost) - 1) / std::size_t(atMost);
    std::vector<Bucket> out;
    out.reserve((n + group - 1) / group);
    for (std::size_t i = 0; i < n; i += group) {
        Bucket merged = m_buckets[i];
        for (std::size_t j = i + 1; j < std::min(n, i + group); ++j)
            merged.merge(m_buckets[j]);
        out.push_back(merged);
    }
    return out;
}

std::size_t LinkHistory::bytesHeld() const
{
    return sizeof(*this) + m_buckets.capacity() * sizeof(Bucket) + m_window.capacity() / 8;
}
