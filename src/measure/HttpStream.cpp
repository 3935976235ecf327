// SPDX-License-Identifier: GPL-3.0-or-later
// The HTTP(S) stream: libcurl downloads the file and throws the bytes away; its progress
// callback stops the transfer when the time is up or the user cancels, and samples TCP_INFO.
#include <curl/curl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>

#include "measure/Streams.h"

namespace zf::measure {
namespace {

using SteadyClock = std::chrono::steady_clock;

struct Transfer {
  Transfer(const StreamRequest& request, CURL* curl) : request(request), curl(curl) {}
  const StreamRequest& request;
  CURL* curl;
  SocketSampler sampler;
  std::uint64_t bytes = 0;
  std::optional<SteadyClock::time_point> firstByte;
  SteadyClock::time_point lastByte;
  bool timeUp = false;
  curl_socket_t socket = CURL_SOCKET_BAD;  // the measuring socket while it is open
};

// Notes the socket the transfer runs on: CURLINFO_ACTIVESOCKET knows it only once the transfer is over.
int NoteSocket(void* user, curl_socket_t socket, curlsocktype purpose) {
  if (purpose == CURLSOCKTYPE_IPCXN) static_cast<Transfer*>(user)->socket = socket;
  return CURL_SOCKOPT_OK;
}

int CloseSocket(void* user, curl_socket_t socket) {
  auto& transfer = *static_cast<Transfer*>(user);
  if (transfer.socket == socket) transfer.socket = CURL_SOCKET_BAD;
  return close(socket);
}

std::size_t Discard(char*, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const auto now = SteadyClock::now();
  if (!transfer.firstByte) transfer.firstByte = now;
  transfer.bytes += size * count;
  transfer.lastByte = now;
  return size * count;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto& transfer = *static_cast<Transfer*>(user);
  if (transfer.request.cancel.IsCancelled()) return 1;
  if (!transfer.firstByte) return 0;
  if (transfer.socket != CURL_SOCKET_BAD) transfer.sampler.Take(transfer.socket);
  const double elapsed = std::chrono::duration<double>(SteadyClock::now() - *transfer.firstByte).count();
  if (transfer.request.progress)
    transfer.request.progress(std::min(elapsed / transfer.request.seconds, 1.0),
                              transfer.sampler.BitsPerSecondSoFar().value_or(0));
  if (elapsed >= transfer.request.seconds) {
    transfer.timeUp = true;
    return 1;
  }
  return 0;
}

bool IsTlsError(CURLcode code) {
  switch (code) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_USE_SSL_FAILED: return true;
    default: return false;
  }
}

StreamFailure FailureOf(CURLcode code, CURL* curl, const StreamRequest& request, const char* detail) {
  const Phrase host = request.address.text;
  const Phrase port = std::to_string(request.target.port);
  long osError = 0;
  curl_easy_getinfo(curl, CURLINFO_OS_ERRNO, &osError);
  if (code == CURLE_HTTP_RETURNED_ERROR) {
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return {FailureKind::HttpStatus,
            Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "the server answered HTTP status %1 for %2"),
                           {std::to_string(status), request.target.url})};
  }
  if (IsTlsError(code))
    return {FailureKind::TlsFailure,
            Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "the TLS handshake with %1 port %2 failed: %3"),
                           {host, port, detail})};
  if (code == CURLE_COULDNT_RESOLVE_HOST)
    return {FailureKind::NoRoute, Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "the name %1 does not resolve"),
                                                 {request.target.host})};
  if (osError == ECONNREFUSED)
    return {FailureKind::Refused,
            Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "nothing listens at %1 port %2 (connection refused)"),
                           {host, port})};
  if (osError == ENETUNREACH || osError == EHOSTUNREACH)
    return {FailureKind::NoRoute, Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "no route to %1"), {host})};
  if (code == CURLE_COULDNT_CONNECT || code == CURLE_OPERATION_TIMEDOUT)
    return {FailureKind::Unreachable,
            Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "the web server at %1 port %2 does not answer"),
                           {host, port})};
  return {FailureKind::Failed,
          Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "the download failed: %1"), {detail})};
}

void GlobalInitOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

Result<StreamResult> RunHttpStream(const StreamRequest& request, StreamFailure& failure) {
  GlobalInitOnce();
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) return Failure("libcurl cannot make a transfer");
  Transfer transfer(request, curl.get());
  char detail[CURL_ERROR_SIZE] = {};
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_URL, request.target.url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, detail);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.connectTimeout.count()));
  // A stream that stalls for the connect time-out counts as not answering.
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME,
                   static_cast<long>(std::max<long long>(request.connectTimeout.count() / 1000, 2)));
  // Identity encoding: the figure is what crossed the wire.
  curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, nullptr);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Discard);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_SOCKOPTFUNCTION, &NoteSocket);
  curl_easy_setopt(handle, CURLOPT_SOCKOPTDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_CLOSESOCKETFUNCTION, &CloseSocket);
  curl_easy_setopt(handle, CURLOPT_CLOSESOCKETDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);

  const CURLcode code = curl_easy_perform(handle);
  if (request.cancel.IsCancelled()) {
    failure = {FailureKind::Cancelled,
               Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "the measurement was cancelled"))};
    return Failure(failure.text);
  }
  if (code != CURLE_OK && !(code == CURLE_ABORTED_BY_CALLBACK && transfer.timeUp)) {
    failure = FailureOf(code, handle, request, detail[0] ? detail : curl_easy_strerror(code));
    return Failure(failure.text);
  }
  if (!transfer.firstByte || transfer.bytes == 0) {
    failure = {
        FailureKind::Failed,
        Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "the server sent no data for %1"), {request.target.url})};
    return Failure(failure.text);
  }
  StreamResult result;
  result.seconds = std::chrono::duration<double>(transfer.lastByte - *transfer.firstByte).count();
  if (result.seconds <= 0) result.seconds = 1e-6;
  result.bitsPerSecond = static_cast<double>(transfer.bytes) * 8.0 / result.seconds;
  transfer.sampler.Fill(result);
  return result;
}

}  // namespace zf::measure
