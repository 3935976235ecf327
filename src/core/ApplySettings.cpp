// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ApplySettings.h"

#include "core/CRegister.h"
#include "core/RegistryStatus.h"
#include "core/TuningKeys.h"
#include "core/TuningWriter.h"
#include "core/mdlOSVersion.h"

namespace zf {
namespace {

int Flag(bool on) { return on ? 1 : 0; }

void Write9xLayout(IRegistry& registry, const TcpSettings& s, TuningWriter& w) {
  const bool dropRwin = s.RWIN == kDeleteMarker;
  const bool dropMtu = s.MTU == kDeleteMarker;
  w.Write(HKEY_LOCAL_MACHINE, kMstcpKey, "SackOpts", 1);
  w.Write(HKEY_LOCAL_MACHINE, kMstcpKey, "Tcp1323Opts", 1);
  w.Write(HKEY_LOCAL_MACHINE, kMstcpKey, "DefaultTTL", s.TTL);
  w.WriteOrDelete(HKEY_LOCAL_MACHINE, kMstcpKey, "DefaultRcvWindow", s.RWIN, dropRwin);
  w.WriteOrDelete(HKEY_LOCAL_MACHINE, kMstcpKey, "GlobalMaxTcpWindowSize", s.RWIN, dropRwin);
  w.Write(HKEY_LOCAL_MACHINE, kMstcpKey, "PMTUBlackHoleDetect", Flag(s.BlackHoleDetect));
  w.Write(HKEY_LOCAL_MACHINE, kMstcpKey, "PMTUDiscovery", Flag(s.PmtuDiscovery));
  w.Write(HKEY_LOCAL_MACHINE, kMstcpKey, "KeepAliveTime", s.KeepAliveTime);
  w.Write(HKEY_LOCAL_MACHINE, kMstcpKey, "KeepAliveInterval", s.KeepAliveInterval);
  w.Write(HKEY_CURRENT_USER, kInternetSettings9xKey, "MaxConnectionsPer1_0Server", s.MaxConnPer10Server);
  w.Write(HKEY_CURRENT_USER, kInternetSettings9xKey, "MaxConnectionsPerServer", s.MaxConnPerServer);
  w.Write(HKEY_LOCAL_MACHINE, kCacheSizeKey, "", s.NdiCacheSize);

  std::vector<std::string> transports;
  if (!EnumerateSubkeys(registry, HKEY_LOCAL_MACHINE, kNetTransKey, &transports)) return;
  for (const std::string& name : transports) {
    const std::string key = SubkeyPath(kNetTransKey, name);
    w.WriteOrDelete(HKEY_LOCAL_MACHINE, key, "MaxMTU", s.MTU, dropMtu);
    w.WriteOrDelete(HKEY_LOCAL_MACHINE, key, "MaxMSS", s.MSS, dropMtu);
  }
}

void WriteNTLayout(IRegistry& registry, const TcpSettings& s, TuningWriter& w) {
  const bool dropRwin = s.RWIN == kDeleteMarker;
  const bool dropMtu = s.MTU == kDeleteMarker;
  w.Write(HKEY_LOCAL_MACHINE, kTcpipParametersKey, "SackOpts", 1);
  w.Write(HKEY_LOCAL_MACHINE, kTcpipParametersKey, "Tcp1323Opts", 1);
  w.Write(HKEY_LOCAL_MACHINE, kTcpipParametersKey, "TcpMaxDupAcks", 2);
  w.Write(HKEY_LOCAL_MACHINE, kTcpipParametersKey, "DefaultReceiveWindow", 8192);
  const std::string_view tcpip = kTcpipParametersLowerKey;
  w.Write(HKEY_LOCAL_MACHINE, tcpip, "DefaultTTL", s.TTL);
  w.WriteOrDelete(HKEY_LOCAL_MACHINE, tcpip, "GlobalMaxTcpWindowSize", s.RWIN, dropRwin);
  w.WriteOrDelete(HKEY_LOCAL_MACHINE, tcpip, "TcpWindowSize", s.RWIN, dropRwin);
  w.Write(HKEY_LOCAL_MACHINE, tcpip, "EnablePMTUBHDetect", Flag(s.BlackHoleDetect));
  w.Write(HKEY_LOCAL_MACHINE, tcpip, "EnablePMTUDiscovery", Flag(s.PmtuDiscovery));
  w.Write(HKEY_LOCAL_MACHINE, tcpip, "KeepAliveTime", s.KeepAliveTime);
  w.Write(HKEY_LOCAL_MACHINE, tcpip, "KeepAliveInterval", s.KeepAliveInterval);
  w.Write(HKEY_LOCAL_MACHINE, tcpip, "SYNAttackProtect", s.SYNAttackProtect);
  w.Write(HKEY_LOCAL_MACHINE, tcpip, "EnableICMPRedirects", Flag(s.IcmpRedirects));
  w.Write(HKEY_CURRENT_USER, kInternetSettingsNTKey, "MaxConnectionsPer1_0Server", s.MaxConnPer10Server);
  w.Write(HKEY_CURRENT_USER, kInternetSettingsNTKey, "MaxConnectionsPerServer", s.MaxConnPerServer);

  std::vector<std::string> interfaces;
  EnumerateSubkeys(registry, HKEY_LOCAL_MACHINE, kInterfacesKey, &interfaces);
  for (const std::string& name : interfaces) {
    const std::string interfaceKey = SubkeyPath(kInterfacesKey, name);
    const std::string adapterKey = AdapterKey(name);
    w.WriteOrDelete(HKEY_LOCAL_MACHINE, interfaceKey, "MTU", s.MTU, dropMtu);
    w.WriteOrDelete(HKEY_LOCAL_MACHINE, adapterKey, "MTU", s.MTU, dropMtu);
    w.WriteOrDelete(HKEY_LOCAL_MACHINE, interfaceKey, "MSS", s.MSS, dropMtu);
    w.WriteOrDelete(HKEY_LOCAL_MACHINE, adapterKey, "MSS", s.MSS, dropMtu);
  }
  w.Write(HKEY_LOCAL_MACHINE, kCacheSizeKey, "", s.NdiCacheSize);
}

ApplyResult Ended(ApplyOutcome outcome, std::string reason) {
  ApplyResult result;
  result.outcome = outcome;
  result.reason = std::move(reason);
  return result;
}

}  // namespace

ApplyResult ApplySettings(const TuningContext& context, const TcpSettings& settings) {
  const std::int16_t family = context.familyCode;
  const bool is9x = OSFamily::Is9xLayout(family);
  if (!is9x && !OSFamily::IsNTLayout(family))
    return Ended(ApplyOutcome::Skipped,
                 "OS family code " + std::to_string(family) + " has no registry layout; nothing was written.");

  // Opened before the backup reads, so no other writer slips in between what the backup records
  // and what replaces it.
  RegistryBatch batch(context.registry);
  if (!batch.isOpen())
    return Ended(ApplyOutcome::Failed, StoreUnwritableText(batch.beginStatus()) + "; no setting was changed.");
  const TakenBackup backup = WriteSettingsBackup(context);
  if (!backup.ok())
    return Ended(ApplyOutcome::Refused, "No backup could be taken, so no setting was changed. " + backup.error);

  TuningWriter writer(context.registry, is9x ? REG_SZ : REG_DWORD);
  if (is9x) {
    Write9xLayout(context.registry, settings, writer);
  } else {
    WriteNTLayout(context.registry, settings, writer);
  }
  if (const LONG status = batch.commit(); status != ERROR_SUCCESS) {
    ApplyResult failed = Ended(ApplyOutcome::Failed, "The registry store could not save the new settings (" +
                                                         RegistryStatusText(status) + "); no setting was changed.");
    failed.backupFile = backup.path;
    failed.unkeptValues = backup.unkeptValues;
    return failed;
  }
  ApplyResult result = Ended(ApplyOutcome::Applied, {});
  result.backupFile = backup.path;
  result.failedWrites = writer.failures();
  result.unkeptValues = backup.unkeptValues;
  return result;
}

}  // namespace zf
