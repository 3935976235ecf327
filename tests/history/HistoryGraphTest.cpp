// SPDX-License-Identifier: GPL-3.0-or-later
// The connection graph drawn from a known hour: the line, the gaps, the time-out marks, the loss
// bars and the tuning run, each where the layout puts it.
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "history/HistoryGraph.h"
#include "history/frmConnectionHistory.h"
#include "support/Fakes.h"
#include "support/MemoryRegistry.h"
#include "support/TempDir.h"

namespace zf {
namespace {

constexpr std::int64_t kNow = 36'000'000;
constexpr std::int64_t kBucketMs = 30'000;
constexpr int kWidth = 480;
constexpr int kHeight = 200;
constexpr std::uint32_t kRoundTrip = 30;  // of a 50 ms scale: 60 % up the plot

// Buckets 0–59 and 90–119 answer in 30 ms, 60–79 hold no echo, 80–89 only time-outs; a tuning
// run 15 minutes ago.
GraphData KnownHour() {
  std::vector<EchoRecord> echoes;
  for (int bucket = 0; bucket < kGraphBuckets; ++bucket) {
    if (bucket >= 60 && bucket < 80) continue;
    const std::int64_t time = kNow - WindowLengthMs(HistoryWindow::Hour) + bucket * kBucketMs + 1000;
    const bool lost = bucket >= 80 && bucket < 90;
    echoes.push_back({time, "h", lost ? std::nullopt : std::optional<std::uint32_t>(kRoundTrip), lost ? 11010u : 0u});
  }
  const std::vector<TuningMark> tunings = {{kNow - 15 * 60'000, "003.BCK"}};
  return BuildGraphData(echoes, tunings, HistoryWindow::Hour, kNow);
}

}  // namespace

class HistoryGraphTest : public QObject {
  Q_OBJECT

 private slots:
  void drawsEachPartWhereTheLayoutPutsIt() {
    HistoryGraph graph;
    graph.resize(kWidth, kHeight);
    graph.SetData(KnownHour());
    QCOMPARE(graph.Data().scaleMs, 50u);
    const QImage image = graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (const QByteArray folder = qgetenv("ZF_GALLERY"); !folder.isEmpty()) image.save(folder + "/history-graph.png");
    QCOMPARE(image.size(), QSize(kWidth, kHeight));

    const GraphLayout layout{kWidth, kHeight};
    const auto at = [&](double x, double y) { return QColor(image.pixel(int(x), int(y))); };
    const auto center = [&](int bucket) { return layout.BucketCenter(bucket, kGraphBuckets); };
    const double lineY = layout.RoundTripY(kRoundTrip, 50);

    struct Probe {
      const char* what;
      double x, y;
      QColor expected;
    };
    const Probe probes[] = {
        {"the line where echoes answered", center(10), lineY, HistoryGraph::kLineColor},
        {"the line after the losses", center(100), lineY, HistoryGraph::kLineColor},
        {"no line across buckets without echoes", center(70), lineY, Qt::black},
        {"no line across buckets of time-outs", center(85), lineY, Qt::black},
        {"a time-out mark at the top", center(85), 2, HistoryGraph::kLossColor},
        {"no time-out mark where all answered", center(10), 2, Qt::black},
        {"a full loss bar", center(85), kHeight - 3, HistoryGraph::kLossColor},
        {"the loss bar reaches the strip's top", center(85), layout.LossTop(100) + 1, HistoryGraph::kLossColor},
        {"no loss bar where all answered", center(10), kHeight - 3, Qt::black},
    };
    for (const Probe& probe : probes) QVERIFY2(at(probe.x, probe.y) == probe.expected, probe.what);

    // The tuning run: a dashed line down the column of its time, and nowhere else.
    const int tuningX = int(layout.TimeX(kNow - 15 * 60'000, graph.Data()));
    QCOMPARE(tuningX, 360);
    const auto yellowIn = [&](int x) {
      int count = 0;
      for (int y = 20; y < int(layout.PlotHeight()); ++y) count += at(x, y) == HistoryGraph::kTuningColor ? 1 : 0;
      return count;
    };
    QVERIFY(yellowIn(tuningX) > int(layout.PlotHeight()) / 2);
    QCOMPARE(yellowIn(tuningX - 40), 0);
  }

  // The window reads what the pinger recorded, waiting echoes included, for the chosen span,
  // and the notice setting it changes is stored.
  void theWindowShowsTheChosenSpanAndStoresTheNotice() {
    test::TempDir folder;
    auto store = HistoryStore::Open(folder / "history.sqlite3");
    QVERIFY(store.has_value());
    test::FakeClock clock;
    test::MemoryRegistry registry;
    HistoryRecorder recorder(**store, clock);
    LossWatch watch(&recorder, {}, nullptr);
    const std::int64_t now = EpochMs(clock.Now());
    for (int minute = 180; minute >= 1; --minute)
      watch.RecordEcho({now - minute * 60'000LL, "h",
                        minute % 10 == 0 ? std::nullopt : std::optional<std::uint32_t>(minute % 40 + 5), 0});
    ConnectionHistoryModel model(recorder, clock, folder / "Backups", watch, registry);
    frmConnectionHistory window(model);
    window.resize(560, 320);
    window.Refresh();
    QCOMPARE(window.Graph().Data().total.echoes, 60u);
    window.ShowWindow(HistoryWindow::Day);
    QCOMPARE(window.Graph().Data().total.echoes, 180u);
    QCOMPARE(window.Graph().Data().total.lost, 18u);
    QVERIFY(window.findChild<QLabel*>()->text().contains(QStringLiteral("180 echoes, 18 lost (10.0 %)")));
    if (const QByteArray gallery = qgetenv("ZF_GALLERY"); !gallery.isEmpty())
      window.grab().save(gallery + "/history-window.png");
    auto* notice = window.findChild<QCheckBox*>();
    notice->click();
    QCOMPARE(LoadLossNoticeSettings(registry), (LossNoticeSettings{true, 20}));
    QCOMPARE(watch.Settings().enabled, true);
  }

  void anEmptyHistoryDrawsOnlyTheFrame() {
    HistoryGraph graph;
    graph.resize(kWidth, kHeight);
    graph.SetData(BuildGraphData({}, {}, HistoryWindow::Week, kNow));
    const QImage image = graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int x = 60; x < kWidth - 2; x += 7)
      for (int y = 20; y < kHeight - 2; y += 5) {
        const QColor color(image.pixel(x, y));
        QVERIFY2(color.red() == 0, "nothing red or yellow without echoes");
      }
  }
};

}  // namespace zf

QTEST_MAIN(zf::HistoryGraphTest)
#include "HistoryGraphTest.moc"
