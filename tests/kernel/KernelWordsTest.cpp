// SPDX-License-Identifier: GPL-3.0-or-later
// The preview's words for each change, the sizes they are given in, and the arithmetic that
// fits the kernel dialogs and the live view's columns.
#include <QTranslator>
#include <QtTest>

#include "core/BeforeAfter.h"
#include "core/RegistrySeed.h"
#include "kernel/KernelChangeWords.h"
#include "kernel/KernelPreview.h"
#include "kernel/KernelSettingsLogic.h"
#include "kernel/LinuxMapping.h"
#include "ui/DialogFit.h"

namespace zf {

class KernelWordsTest : public QObject {
  Q_OBJECT

 private slots:
  void sentences_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("now");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("sentence");
    const auto row = [](const char* name, const char* key, const char* now, const char* after, const char* note,
                        const QString& sentence) { QTest::newRow(name) << key << now << after << note << sentence; };
    row("receive buffer cut", "net/ipv4/tcp_rmem", "4096 131072 33554432", "4096 8576 8576", "",
        "Receive buffer: 32 MB \u2192 8.4 KB \u2014 one connection at most 1.7 Mbit/s at 20 ms");
    row("receive buffer raised", "net/ipv4/tcp_rmem", "4096 131072 6291456", "4096 131072 16777216", "",
        "Receive buffer: 6.0 MB \u2192 16 MB \u2014 one connection at most 3.4 Gbit/s at 20 ms");
    row("only the smaller sizes", "net/ipv4/tcp_rmem", "4096 87380 6291456", "4096 131072 6291456", "",
        "Receive buffer: 4.0 KB / 85 KB / 6.0 MB \u2192 4.0 KB / 128 KB / 6.0 MB \u2014 one connection at most "
        "1.3 Gbit/s at 20 ms");
    row("MTU below IPv6's least", "link/eth0/mtu", "1500", "576", "",
        "Packet size (MTU) of eth0: 1500 \u2192 576 \u2014 IPv6 addresses on eth0 will be removed; going back "
        "restores only the link-local one");
    row("MTU IPv6 keeps", "link/eth0/mtu", "1500", "1280", "", "Packet size (MTU) of eth0: 1500 \u2192 1280");
    row("unreadable now", "link/wlan0/mtu", "", "1400", "", "Packet size (MTU) of wlan0: unreadable \u2192 1400");
    row("TTL", "net/ipv4/ip_default_ttl", "64", "128", "", "Hop limit of outgoing packets (TTL): 64 \u2192 128");
    row("keep-alive hours to minutes", "net/ipv4/tcp_keepalive_time", "7200", "600", "",
        "Idle time before a connection is checked: 2 h \u2192 10 min");
    row("keep-alive seconds", "net/ipv4/tcp_keepalive_intvl", "75", "90", "",
        "Time between checks of an idle connection: 75 s \u2192 90 s");
    row("SYN cookies", "net/ipv4/tcp_syncookies", "1", "0", "",
        "Protection against connection floods (SYN cookies): on when needed \u2192 off");
    row("path MTU discovery is inverted", "net/ipv4/ip_no_pmtu_disc", "0", "1", "",
        "Finding the largest packet a path carries (path MTU discovery): on \u2192 off");
    row("MTU probing back", "net/ipv4/tcp_mtu_probing", "2", "0", "back",
        "Probing for lost large packets (MTU probing): always on \u2192 off (back to its original)");
    row("the stored value's note stays with the details", "net/ipv4/ip_default_ttl", "64", "128", "TTL 128",
        "Hop limit of outgoing packets (TTL): 64 \u2192 128");
    row("redirects of one interface", "net/ipv4/conf/eth0.100/accept_redirects", "1", "0", "",
        "Route changes from routers (ICMP redirects) on eth0.100: accepted \u2192 refused");
    row("redirects of all", "net/ipv4/conf/all/accept_redirects", "0", "1", "",
        "Route changes from routers (ICMP redirects) on all interfaces: refused \u2192 accepted");
    row("redirects of new interfaces", "net/ipv4/conf/default/accept_redirects", "0", "1", "",
        "Route changes from routers (ICMP redirects) on new interfaces: refused \u2192 accepted");
    row("already set", "net/ipv4/ip_default_ttl", "128", "128", "", "Hop limit of outgoing packets (TTL): already 128");
    row("a setting without words", "net/ipv4/tcp_wmem", "1 2 3", "4 5 6", "", "net.ipv4.tcp_wmem: 1 2 3 \u2192 4 5 6");
  }
  void sentences() {
    QFETCH(QString, key);
    QFETCH(QString, now);
    QFETCH(QString, after);
    QFETCH(QString, note);
    QFETCH(QString, sentence);
    const std::string name = key == "net/ipv4/tcp_wmem" ? "net.ipv4.tcp_wmem" : "(unused)";
    // "back": a setting the desired state no longer sets.
    QCOMPARE(KernelChangeWords::Sentence({key.toStdString(), name, now.toStdString(), after.toStdString(),
                                          note == "back" ? "back to its original" : note.toStdString()},
                                         note == "back"),
             sentence);
  }

  void sizes_data() {
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("bytes") << qint64{1023} << "1023 bytes";
    QTest::newRow("one byte") << qint64{1} << "1 byte";
    QTest::newRow("kilobytes, one decimal") << qint64{8576} << "8.4 KB";
    QTest::newRow("kilobytes, whole") << qint64{131072} << "128 KB";
    QTest::newRow("rounds up into MB") << qint64{1048575} << "1.0 MB";
    QTest::newRow("megabytes") << qint64{33554432} << "32 MB";
    QTest::newRow("the largest buffer") << qint64{2147483647} << "2.0 GB";
  }
  void sizes() {
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(figures::SizeText(bytes)), text);
  }

  // The words lead; the table's rows and the warnings a sentence already says go to the details.
  void previewModelPutsWordsFirstAndTechnicalWarningsInTheDetails() {
    kernel::KernelPlan plan;
    plan.changes = {{"net/ipv4/ip_default_ttl", "net.ipv4.ip_default_ttl", "64", "64", {}},
                    {"link/eth0/mtu", "eth0 MTU", "1500", "576", "MTU of {B2}"},
                    {"net/ipv4/tcp_mtu_probing", "net.ipv4.tcp_mtu_probing", "1", "0", "back to its original"}};
    plan.desired = {{"net/ipv4/ip_default_ttl", "64"}, {"link/eth0/mtu", "576"}};
    plan.warnings = {{kernel::WarningKind::Ipv6Loss, "MTU 576 on eth0 is below 1280"},
                     {kernel::WarningKind::ThroughputCap, "caps one connection"},
                     {kernel::WarningKind::LinkBounce, "may briefly bounce the link"}};
    const KernelPreviewModel model = BuildPreview(plan);
    QCOMPARE(model.rows.size(), std::size_t{3});
    QVERIFY(model.rows[0].words.startsWith("Packet size (MTU) of eth0: 1500 \u2192 576 \u2014 IPv6"));
    QCOMPARE(model.rows[0].setting, "eth0 MTU");
    QCOMPARE(model.rows[0].note, "MTU of {B2}");
    QCOMPARE(model.rows[1].words,
             "Probing for lost large packets (MTU probing): on when needed \u2192 off (back to its original)");
    QCOMPARE(model.warnings, QStringList{"may briefly bounce the link"});
    QCOMPARE(model.detailWarnings, QStringList({"MTU 576 on eth0 is below 1280", "caps one connection"}));
    QVERIFY(model.needsIpv6Acceptance);
  }

  // With the German catalogue each note, source and warning of the preview reads as one German
  // sentence, also where a refusal's reason or a value's source stands inside it.
  void germanNotesAreWholeSentences_data() {
    QTest::addColumn<int>("field");  // -1: the MTU of eth0
    QTest::addColumn<qlonglong>("stored");
    QTest::addColumn<QStringList>("notes");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("warnings");
    const QString kept = "bleibt nur in den Einstellungen von Zentrofast";
    QTest::newRow("refused, with the table's reason")
        << int(TuningField::TTL) << 0LL
        << QStringList{"TTL 0 ergäbe net.ipv4.ip_default_ttl = 0 und wird nicht angewendet: eine TTL muss zwischen 1 "
                       "und 255 liegen (der Kernel lehnt 0 und 256 ab)"}
        << QString() << QStringList{};
    QTest::newRow("no Linux setting") << int(TuningField::NdiCacheSize) << 512LL
                                      << QStringList{"NdiCacheSize 512 hat unter Linux keine Entsprechung und " + kept}
                                      << QString() << QStringList{};
    QTest::newRow("an MSS without an MTU")
        << int(TuningField::MSS) << 1460LL
        << QStringList{"MSS 1460 " + kept + ": Linux leitet die MSS aus der MTU jeder Schnittstelle ab"} << QString()
        << QStringList{};
    QTest::newRow("an interface's MTU") << -1 << 1400LL << QStringList{}
                                        << "MTU von " + QString::fromStdString(InterfaceGuid("eth0"))
                                        << QStringList{
                                               "Eine geänderte MTU von eth0 kann die Verbindung kurz unterbrechen"};
  }
  void germanNotesAreWholeSentences() {
    QFETCH(int, field);
    QFETCH(qlonglong, stored);
    QTranslator german;
    QVERIFY(german.load(qEnvironmentVariable("ZENTROFAST_BIN") + "/translations/zentrofast_de.qm"));
    QCoreApplication::installTranslator(&german);
    const std::vector<kernel::LinkInfo> links{{"eth0", 2, 1500, 9000, false, ""}};
    const kernel::ProcLiveSystem live("/nonexistent", [&] { return Result<std::vector<kernel::LinkInfo>>(links); });
    kernel::StoredTuning tuning;
    if (field < 0)
      tuning.interfaceMtus[InterfaceGuid("eth0")] = stored;
    else
      tuning[static_cast<TuningField>(field)] = stored;
    const kernel::Ledger ledger;
    const KernelPreviewModel model =
        BuildPreview(kernel::MakePlan(kernel::MapToLinux(tuning, links, {}, live), live, ledger));
    QCoreApplication::removeTranslator(&german);
    QTEST(model.registryOnly, "notes");
    QTEST(model.rows.empty() ? QString() : model.rows.front().note, "source");
    QTEST(model.warnings, "warnings");
  }

  void columnWidths_data() {
    QTest::addColumn<QList<int>>("wanted");
    QTest::addColumn<QList<int>>("least");
    QTest::addColumn<int>("available");
    QTest::addColumn<QList<int>>("widths");
    QTest::newRow("all fit: the rest to the last")
        << QList<int>{20, 100, 50} << QList<int>{0, 0, 0} << 200 << QList<int>{20, 100, 80};
    QTest::newRow("the widest cut to one width")
        << QList<int>{20, 180, 100, 130, 160} << QList<int>{20, 0, 0, 0, 0} << 400 << QList<int>{20, 95, 95, 95, 95};
    QTest::newRow("narrow columns keep theirs")
        << QList<int>{20, 30, 300, 300} << QList<int>{0, 0, 0, 0} << 250 << QList<int>{20, 30, 100, 100};
    QTest::newRow("none below its least")
        << QList<int>{24, 200, 120, 120} << QList<int>{24, 160, 40, 40} << 300 << QList<int>{24, 160, 58, 58};
    QTest::newRow("leasts too wide: overflows rather than hides a heading")
        << QList<int>{100, 100} << QList<int>{80, 80} << 100 << QList<int>{80, 80};
  }
  void columnWidths() {
    QFETCH(QList<int>, wanted);
    QFETCH(QList<int>, least);
    QFETCH(int, available);
    QFETCH(QList<int>, widths);
    const std::vector<int> fitted =
        FitColumnWidths({wanted.begin(), wanted.end()}, {least.begin(), least.end()}, available);
    QCOMPARE(QList<int>(fitted.begin(), fitted.end()), widths);
  }

  void dialogPlacement_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("parent");
    QTest::addColumn<QPoint>("topLeft");
    const QRect screen(0, 0, 683, 512);  // 1024×768 at 150 %
    QTest::newRow("centred on its parent") << QSize(300, 200) << QRect(100, 50, 500, 400) << QPoint(200, 150);
    QTest::newRow("kept inside on the right, room for the frame")
        << QSize(300, 200) << QRect(500, 50, 400, 400) << QPoint(683 - 300 - kWindowDecoration.width(), 150);
    QTest::newRow("kept inside at the top") << QSize(300, 200) << QRect(100, -300, 500, 400) << QPoint(200, 0);
    QTest::newRow("as large as the screen: its top-left shows")
        << FitDialogSize({2000, 2000}, screen) << QRect(100, 50, 500, 400) << QPoint(0, 0);
    QVERIFY(screen.contains(QRect({0, 0}, FitDialogSize({2000, 2000}, screen) + kWindowDecoration)));
  }
  void dialogPlacement() {
    QFETCH(QSize, size);
    QFETCH(QRect, parent);
    QFETCH(QPoint, topLeft);
    QCOMPARE(CentredPosition(size, parent, QRect(0, 0, 683, 512)), topLeft);
  }
};

}  // namespace zf

QTEST_GUILESS_MAIN(zf::KernelWordsTest)
#include "KernelWordsTest.moc"
