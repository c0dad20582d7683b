#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The free second module of a LinkControl test as the connected C module sees it: each request
// "L" starts a telegram exchange over the air, after which the connected module answers with the
// signal and noise levels both modules saw. Levels are signed dBm.
struct LinkPartnerConfig {
    bool enabled = true;
    int answerLength = 5; // 3: module 1 only; 5: both; 7: both with two filler bytes
    int s1 = -70;         // signal of the free module's telegram at the connected module
    int n1 = -104;        // noise level at the connected module
    int s2 = -72;         // signal of the connected module's telegram at the free module
    int n2 = -106;        // noise level at the free module
    double lossRate = 0; // share of exchanges lost over the air (0 to 1); a lost one gets no answer
    double answerDelayMs = -1; // from the request to the answer; negative: the air time
};

// Decides the answers of a run of requests. Losses are spread evenly: with a rate of 0.25
// every fourth exchange is lost.
class LinkPartner
{
public:
    // The answer to the next request, or nothing when that exchange is lost.
    std::optional<QByteArray> answer(const LinkPartnerConfig &config);
    int requests() const { return m_requests; }

    // The firmware's time for one exchange: the request telegram out, the reply back and the
    // turnaround, at the radio rate, plus the serial side at the module's own rate.
    static double airTimeMs(int radioBaud, int serialBaud);

private:
    int m_requests = 0;
};

// Parses "bytes=5,s1=-70,n1=-104,s2=-72,n2=-106,loss=0.1,delay=30" (any subset, in any order) or
// "off". Returns the reason when the text is refused.
QString parseLinkPartnerOptions(const QString &text, LinkPartnerConfig &config);
