// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/ConnectionTestAnswer.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>
#include <vector>

#include "core/BeforeAfter.h"
#include "core/RegistrySettings.h"
#include "core/Translatable.h"

namespace zf {
namespace {

// The advanced mode's LAN values, where the command line's recommendation starts: it replaces
// their window, MTU and MSS and keeps the rest.
constexpr int kRecommendationStartType = 3;

const std::string kSection = SettingsSection("\\Settings\\ConnectionTest");
constexpr char kTargetValue[] = "Target";
constexpr char kAnswerValue[] = "LastAnswer";

// The program's own prefix goes; what follows is already a sentence for people.
QString ProgramSentence(const QByteArray& err) {
  QString text = QString::fromUtf8(err).trimmed();
  for (const QString prefix :
       {QStringLiteral("zentrofastctl: the measurement failed: "), QStringLiteral("zentrofastctl: ")}) {
    if (text.startsWith(prefix)) {
      text = text.mid(prefix.size());
      break;
    }
  }
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return text;
}

// The program's phrase (a value, or a format with its context and arguments) in the desktop's
// language: each format translated whole, then filled.
QString PhraseText(const QJsonValue& phrase) {
  if (phrase.isString()) return phrase.toString();
  const QJsonObject object = phrase.toObject();
  const QByteArray context = object.value(QLatin1String("context")).toString().toUtf8();
  const QByteArray format = object.value(QLatin1String("format")).toString().toUtf8();
  QString text = QCoreApplication::translate(context.constData(), format.constData());
  std::vector<std::string> values;
  for (const QJsonValue argument : object.value(QLatin1String("arguments")).toArray())
    values.push_back(PhraseText(argument).toStdString());
  return QString::fromStdString(FillArguments(text.toStdString(), values));
}

// The failure the program printed for programs, in the desktop's language: the program's own
// sentences follow its locale, which need not be the desktop's catalogue.
QString FailureSentence(const QByteArray& out) {
  const QJsonDocument document = QJsonDocument::fromJson(out);
  if (!document.isObject()) return {};
  const QJsonObject json = document.object();
  QString text = json.contains(QLatin1String("phrase")) ? PhraseText(json.value(QLatin1String("phrase")))
                                                        : json.value(QLatin1String("message")).toString();
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return text;
}

ConnectionTestOutcome Failure(TestFailure failure, QString message) {
  return {failure, std::move(message), {}, {}, {}};
}

std::optional<double> Optional(const QJsonValue& value) {
  return value.isDouble() ? std::optional<double>(value.toDouble()) : std::nullopt;
}

std::optional<ConnectionFigures> ReadFigures(const QJsonObject& json) {
  for (const char* required : {"throughput_bps", "rtt_ms", "loss_percent", "stream_seconds"})
    if (!json.value(QLatin1String(required)).isDouble()) return std::nullopt;
  const QJsonObject tcp = json.value(QLatin1String("tcp")).toObject();
  return ConnectionFigures{json.value(QLatin1String("target")).toString(),
                           json.value(QLatin1String("method")).toString(),
                           json.value(QLatin1String("measured_at")).toString(),
                           json.value(QLatin1String("throughput_bps")).toDouble(),
                           json.value(QLatin1String("rtt_ms")).toDouble(),
                           json.value(QLatin1String("loss_percent")).toDouble(),
                           json.value(QLatin1String("stream_seconds")).toDouble(),
                           Optional(json.value(QLatin1String("path_mtu_bytes"))),
                           Optional(tcp.value(QLatin1String("smoothed_rtt_ms"))),
                           Optional(tcp.value(QLatin1String("delivery_rate_bps"))),
                           Optional(tcp.value(QLatin1String("retransmissions"))),
                           Optional(tcp.value(QLatin1String("receive_space_bytes")))};
}

// A recommendation whose numbers are out of the tuning bounds is left out rather than offered.
std::optional<ConnectionRecommendation> ReadRecommendation(const QJsonValue& value) {
  if (!value.isObject()) return std::nullopt;
  const QJsonObject json = value.toObject();
  const QJsonObject replaces = json.value(QLatin1String("replaces")).toObject();
  ConnectionRecommendation r{
      json.value(QLatin1String("rwin_bytes")).toInt(),     json.value(QLatin1String("mtu_bytes")).toInt(),
      json.value(QLatin1String("mss_bytes")).toInt(),      json.value(QLatin1String("mtu_from_path")).toBool(),
      Optional(json.value(QLatin1String("cap_bps"))),      replaces.value(QLatin1String("values")).toString(),
      replaces.value(QLatin1String("rwin_bytes")).toInt(), Optional(replaces.value(QLatin1String("cap_bps")))};
  if (r.RWIN <= 0 || r.MTU < 68 || r.MSS <= 0 || r.MSS >= r.MTU) return std::nullopt;
  return r;
}

// The settings reader stops at 254 bytes, the old query buffer; an address or an answer is
// often longer, so these two are read whole.
QByteArray StoredText(IRegistry& registry, const char* valueName) {
  HKEY key = 0;
  if (registry.OpenKey(HKEY_LOCAL_MACHINE, kSection, KEY_READ, &key) != ERROR_SUCCESS) return {};
  std::uint32_t type = REG_NONE;
  std::vector<std::uint8_t> data;
  const LONG status = registry.QueryValue(key, valueName, &type, &data);
  registry.CloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ || data.empty()) return {};
  return QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size() - 1));
}

QString Number(double value, int decimals) { return QString::number(value, 'f', decimals); }

QString Milliseconds(double value) { return Number(value, value < 10 ? 1 : 0) + QStringLiteral(" ms"); }

}  // namespace

std::optional<ConnectionTestOutcome> TargetProblem(const QString& target) {
  const QString trimmed = target.trimmed();
  if (trimmed.isEmpty())
    return Failure(
        TestFailure::NoTarget,
        QCoreApplication::translate("zf::frmConnectionTest", "Enter an iperf3 server or the address of a large file."));
  for (const char* scheme : {"iperf3://", "http://", "https://"})
    if (trimmed.startsWith(QLatin1String(scheme), Qt::CaseInsensitive) && trimmed.size() > int(strlen(scheme)))
      return std::nullopt;
  return Failure(TestFailure::BadTarget,
                 QCoreApplication::translate("zf::frmConnectionTest",
                                             "\"%1\" is neither iperf3://HOST[:PORT] nor an http(s) address.")
                     .arg(trimmed));
}

ConnectionTestOutcome ReadMeasureAnswer(bool crashed, int exitCode, const QByteArray& out, const QByteArray& err) {
  if (crashed)
    return Failure(TestFailure::MeasurementFailed,
                   QCoreApplication::translate("zf::frmConnectionTest", "The measuring program stopped unexpectedly."));
  const QString failed = exitCode != 0 ? FailureSentence(out) : QString();
  if (exitCode == 2) return Failure(TestFailure::BadTarget, failed.isEmpty() ? ProgramSentence(err) : failed);
  if (exitCode != 0) {
    const QString why = failed.isEmpty() ? ProgramSentence(err) : failed;
    return Failure(
        TestFailure::MeasurementFailed,
        why.isEmpty()
            ? QCoreApplication::translate("zf::frmConnectionTest", "The measurement failed (exit %1).").arg(exitCode)
            : why);
  }
  QJsonParseError parseError{};
  const QJsonDocument document = QJsonDocument::fromJson(out, &parseError);
  const std::optional<ConnectionFigures> figures = document.isObject() ? ReadFigures(document.object()) : std::nullopt;
  if (!figures)
    return Failure(
        TestFailure::UnreadableAnswer,
        QCoreApplication::translate("zf::frmConnectionTest", "The measuring program's answer holds no figures."));
  return {TestFailure::None,
          {},
          figures,
          ReadRecommendation(document.object().value(QLatin1String("recommendation"))),
          document.toJson(QJsonDocument::Compact)};
}

QString RateText(double bitsPerSecond) {
  if (bitsPerSecond >= 1e9) return Number(bitsPerSecond / 1e9, 2) + QStringLiteral(" Gbit/s");
  if (bitsPerSecond >= 1e6) return Number(bitsPerSecond / 1e6, 1) + QStringLiteral(" Mbit/s");
  return Number(bitsPerSecond / 1e3, 0) + QStringLiteral(" kbit/s");
}

QString ThroughputText(const ConnectionFigures& f) {
  return QStringLiteral("%1 (%2 s, %3)").arg(RateText(f.throughputBps), Number(f.streamSeconds, 1), f.method);
}

QString RoundTripText(const ConnectionFigures& f) {
  return QCoreApplication::translate("zf::frmConnectionTest", "%1, loss %2 %")
      .arg(Milliseconds(f.rttMs), Number(f.lossPercent, 0));
}

QString PathMtuText(const ConnectionFigures& f) {
  return f.pathMtuBytes ? Number(*f.pathMtuBytes, 0) + QCoreApplication::translate("zf::frmConnectionTest", " bytes")
                        : QCoreApplication::translate("zf::frmConnectionTest", "unknown");
}

// Two lines, so that the frame's width holds them: the pace, then what the window did.
QString TcpText(const ConnectionFigures& f) {
  QStringList pace;
  QStringList window;
  if (f.smoothedRttMs)
    pace << QCoreApplication::translate("zf::frmConnectionTest", "RTT ") + Milliseconds(*f.smoothedRttMs);
  if (f.deliveryRateBps)
    pace << QCoreApplication::translate("zf::frmConnectionTest", "delivery ") + RateText(*f.deliveryRateBps);
  if (f.retransmissions)
    window
        << QCoreApplication::translate("zf::frmConnectionTest", "%1 retransmitted").arg(Number(*f.retransmissions, 0));
  if (f.receiveSpaceBytes)
    window << QCoreApplication::translate("zf::frmConnectionTest", "receive space %1 bytes")
                  .arg(Number(*f.receiveSpaceBytes, 0));
  QStringList lines;
  for (const QStringList& line : {pace, window})
    if (!line.isEmpty()) lines << line.join(QStringLiteral(", "));
  return lines.isEmpty() ? QCoreApplication::translate("zf::frmConnectionTest", "not reported")
                         : lines.join(QLatin1Char('\n'));
}

QString RecommendationText(const ConnectionRecommendation& r, const ConnectionFigures& f) {
  QString text = QStringLiteral("RWIN %1, MTU %2%3, MSS %4")
                     .arg(r.RWIN)
                     .arg(r.MTU)
                     .arg(r.mtuFromPath ? QCoreApplication::translate("zf::frmConnectionTest", " (path)") : QString())
                     .arg(r.MSS);
  if (r.capBps)
    text += QCoreApplication::translate("zf::frmConnectionTest", ": one connection up to %1 at %2")
                .arg(RateText(*r.capBps), Milliseconds(f.rttMs));
  if (!r.replacedValues.isEmpty() && r.replacedCapBps)
    text += QStringLiteral(" (%1: %2)").arg(r.replacedValues, RateText(*r.replacedCapBps));
  return text;
}

TcpSettings RecommendedRecord(const ConnectionRecommendation& r) {
  TcpSettings record = RecommendedSettings(kRecommendationStartType);
  record.RWIN = r.RWIN;
  record.MTU = r.MTU;
  record.MSS = r.MSS;
  return record;
}

QString StoredTarget(IRegistry& registry) { return QString::fromUtf8(StoredText(registry, kTargetValue)); }

void StoreTarget(IRegistry& registry, const QString& target) {
  RegistrySettings(registry).SaveMachineSetting(kSection, kTargetValue, target.trimmed().toStdString());
}

QByteArray StoredAnswer(IRegistry& registry) { return StoredText(registry, kAnswerValue); }

void StoreAnswer(IRegistry& registry, const QByteArray& answer) {
  RegistrySettings(registry).SaveMachineSetting(kSection, kAnswerValue, answer.toStdString());
}

std::optional<ConnectionFigures> LastMeasurement(IRegistry& registry) {
  const QByteArray answer = StoredAnswer(registry);
  if (answer.isEmpty()) return std::nullopt;
  return ReadMeasureAnswer(false, 0, answer, {}).figures;
}

QString CapLine(std::string_view name, std::int32_t rwin, const std::optional<ConnectionFigures>& measured) {
  if (!measured) return {};
  return QString::fromStdString(figures::CapSentence(name, rwin, {measured->throughputBps, measured->rttMs, {}}));
}

}  // namespace zf
