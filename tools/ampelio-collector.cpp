// Receives the analytics reports the application sends, on 127.0.0.1, and writes each one
// decoded as a JSON line. Point the application at it with AMPELIO_ANALYTICS_URL.
#include "ReportCollector.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Receives analytics reports on http://127.0.0.1:PORT/aas.do"));
    parser.addHelpOption();
    const QCommandLineOption port({QStringLiteral("p"), QStringLiteral("port")},
                                  QStringLiteral("Port to listen on (0: any free one)."),
                                  QStringLiteral("PORT"), QStringLiteral("0"));
    const QCommandLineOption status({QStringLiteral("s"), QStringLiteral("status")},
                                    QStringLiteral("HTTP status to answer reports with."),
                                    QStringLiteral("STATUS"), QStringLiteral("200"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("File the decoded reports are appended to."),
                                    QStringLiteral("FILE"), QStringLiteral("reports.jsonl"));
    parser.addOptions({port, status, output});
    parser.process(app);

    bool portOk = false;
    bool statusOk = false;
    const uint portNumber = parser.value(port).toUInt(&portOk);
    const int statusCode = parser.value(status).toInt(&statusOk);
    if (!portOk || portNumber > 65535 || !statusOk || statusCode < 100 || statusCode > 599) {
        std::fputs("ampelio-collector: bad port or status\n", stderr);
        return 2;
    }
    ReportCollector collector;
    collector.setStatus(statusCode);
    collector.setOutputFile(parser.value(output));
    if (!collector.listen(static_cast<quint16>(portNumber))) {
        std::fprintf(stderr, "ampelio-collector: cannot listen on 127.0.0.1:%u\n", portNumber);
        return 1;
    }
    std::printf("Listening on %s, answering %d, writing %s\n", qPrintable(collector.url()),
                statusCode, qPrintable(parser.value(output)));
    std::fflush(stdout);
    QObject::connect(
        &collector, &ReportCollector::reportReceived, [](const QJsonObject& report, bool valid) {
            std::printf("report: %d session(s), %s\n",
                        static_cast<int>(report.value(QStringLiteral("sessions")).toArray().size()),
                        valid ? "valid" : "INVALID");
            std::fflush(stdout);
        });
    return QCoreApplication::exec();
}
