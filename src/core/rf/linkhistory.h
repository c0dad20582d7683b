#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <vector>

// One finished LinkControl cycle as the history and the export keep it.
struct LinkCycle {
    qint64 number = 0;          // the sent counter after the cycle
    bool received = false;      // a valid answer came
    bool module2 = false;       // the answer carried the free module's levels (5 or 7 bytes)
    int s1 = 0, n1 = 0;         // signal and noise seen by the connected module, dBm
    int s2 = 0, n2 = 0;         // the same for the free module, dBm
    qint64 msecsSinceEpoch = 0; // when the answer was read (or found missing), UTC
    double pcLateMs = 0;        // how late the cycle's latest step ran (the PC's doing)
};

// The cycle of an answer as LinkControl evaluates it: received when the answer is valid, the
// levels as signed dBm bytes (a 7-byte answer compacted first).
LinkCycle linkCycleOf(qint64 number, const QByteArray &answer, qint64 msecsSinceEpoch);

// Signal-to-noise ratios as the gauges compute them: the bytes' difference taken unsigned.
int snrOf(int signalDbm, int noiseDbm);

// The run's history at a bounded size. While the run is short every cycle has a bucket of its
// own; once the buckets are full, neighbours merge pairwise and each bucket covers twice as
// many cycles, so a day at the shortest interval fits in the same few hundred kilobytes as a
// minute. Each bucket keeps min, mean and max of every quantity and its lost cycles.
class LinkHistory
{
public:
    enum Quantity { S1, N1, S2, N2, Share, kQuantities };

    struct Stat {
        float min = 0;
        float max = 0;
        double sum = 0;
        qint32 count = 0;
        double mean() const { return count ? sum / count : 0.0; }
        void add(double value);
        void merge(const Stat &other);
    };

    struct Bucket {
        qint64 firstMs = 0, lastMs = 0;       // times of its first and last cycle
        qint64 firstCycle = 0, lastCycle = 0; // cycle numbers
        qint32 cycles = 0;
        qint32 lost = 0;
        std::array<Stat, kQuantities> stats{};
        void merge(const Bucket &other);
    };

    // maxBuckets is rounded up to an even number of at least 2; shareWindow is the number of
    // cycles the received share slides over.
    explicit LinkHistory(int maxBuckets = 2048, int shareWindow = 20);

    void add(const LinkCycle &cycle);
    void clear();

    const std::vector<Bucket> &buckets() const { return m_buckets; }
    // At most atMost buckets for a display, neighbours merged evenly.
    std::vector<Bucket> condensed(int atMost) const;

    qint64 cycles() const { return m_cycles; }
    qint64 lost() const { return m_lost; }
    int cyclesPerBucket() const { return m_perBucket; }
    int shareWindow() const { return m_shareWindow; }
    // Changes with every added cycle and every clear, so a display redraws only when needed.
    quint64 revision() const { return m_revision; }
    // Bytes held, for the memory bound.
    std::size_t bytesHeld() const;

private:
    void halve();

    int m_maxBuckets;
    int m_shareWindow;
    std::vector<Bucket> m_buckets;
    int m_perBucket = 1;
    qint64 m_cycles = 0;
    qint64 m_lost = 0;
    quint64 m_revision = 0;
    // The last results of the sliding share window, oldest first once it is full.
    std::vector<bool> m_window;
    int m_windowNext = 0;
    int m_windowFilled = 0;
    int m_windowReceived = 0;
};
