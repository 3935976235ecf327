// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/NetlinkLinks.h"

#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netlink/netlink.h>
#include <netlink/route/link.h>

#include <cstdio>
#include <memory>

namespace zf::kernel {
namespace {

struct SocketCloser {
  void operator()(nl_sock* socket) const { nl_socket_free(socket); }
};
using Socket = std::unique_ptr<nl_sock, SocketCloser>;

Result<Socket> Connect() {
  Socket socket(nl_socket_alloc());
  if (!socket) return Error{"cannot allocate a netlink socket"};
  if (int status = nl_connect(socket.get(), NETLINK_ROUTE); status < 0)
    return Error{std::string("cannot open rtnetlink: ") + nl_geterror(status)};
  return socket;
}

std::string MacText(nlattr* attribute) {
  if (!attribute || nla_len(attribute) != 6) return {};
  const auto* bytes = static_cast<const unsigned char*>(nla_data(attribute));
  char text[18];
  std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4],
                bytes[5]);
  return text;
}

// libnl's link object drops the permanent address and the MTU limits, so the dump is read at
// the attribute level.
int OnLink(nl_msg* message, void* argument) {
  auto* links = static_cast<std::vector<LinkInfo>*>(argument);
  nlmsghdr* header = nlmsg_hdr(message);
  nlattr* attributes[IFLA_MAX + 1] = {};
  if (nlmsg_parse(header, sizeof(ifinfomsg), attributes, IFLA_MAX, nullptr) < 0 || !attributes[IFLA_IFNAME])
    return NL_SKIP;
  const auto* info = static_cast<const ifinfomsg*>(nlmsg_data(header));
  LinkInfo link;
  link.name = nla_get_string(attributes[IFLA_IFNAME]);
  link.index = info->ifi_index;
  link.loopback = (info->ifi_flags & IFF_LOOPBACK) != 0;
  if (attributes[IFLA_MTU]) link.mtu = nla_get_u32(attributes[IFLA_MTU]);
  if (attributes[IFLA_MAX_MTU]) link.maxMtu = nla_get_u32(attributes[IFLA_MAX_MTU]);
  link.permanentMac = MacText(attributes[IFLA_PERM_ADDRESS]);
  links->push_back(std::move(link));
  return NL_OK;
}

// Without the statistics, which are most of each link's message and of the kernel's work for it.
int SendLinkDumpRequest(nl_sock* socket) {
  std::unique_ptr<nl_msg, void (*)(nl_msg*)> message(nlmsg_alloc_simple(RTM_GETLINK, NLM_F_DUMP), nlmsg_free);
  if (!message) return -NLE_NOMEM;
  ifinfomsg request{};
  request.ifi_family = AF_UNSPEC;
  if (int status = nlmsg_append(message.get(), &request, sizeof request, NLMSG_ALIGNTO); status < 0) return status;
  if (int status = nla_put_u32(message.get(), IFLA_EXT_MASK, RTEXT_FILTER_SKIP_STATS); status < 0) return status;
  return nl_send_auto(socket, message.get());
}

int SendLinkRequest(nl_sock* socket, const std::string& name) {
  std::unique_ptr<nl_msg, void (*)(nl_msg*)> message(nlmsg_alloc_simple(RTM_GETLINK, 0), nlmsg_free);
  if (!message) return -NLE_NOMEM;
  ifinfomsg request{};
  request.ifi_family = AF_UNSPEC;
  if (int status = nlmsg_append(message.get(), &request, sizeof request, NLMSG_ALIGNTO); status < 0) return status;
  if (int status = nla_put_u32(message.get(), IFLA_EXT_MASK, RTEXT_FILTER_SKIP_STATS); status < 0) return status;
  if (int status = nla_put_string(message.get(), IFLA_IFNAME, name.c_str()); status < 0) return status;
  return nl_send_auto(socket, message.get());
}

}  // namespace

Result<std::vector<LinkInfo>> ListLinksNamed(const std::vector<std::string>& names) {
  auto socket = Connect();
  if (!socket) return socket.error();
  std::vector<LinkInfo> links;
  nl_socket_set_msg_buf_size(socket->get(), 64 * 1024);
  nl_socket_disable_auto_ack(socket->get());  // no acknowledgement after each link to read past
  nl_socket_modify_cb(socket->get(), NL_CB_VALID, NL_CB_CUSTOM, OnLink, &links);
  for (const auto& name : names) {
    if (name.empty() || name.size() >= IFNAMSIZ) continue;
    if (int status = SendLinkRequest(socket->get(), name); status < 0)
      return Error{"cannot ask for the link " + name + ": " + nl_geterror(status)};
    // One answer each: the link, or an error message for a missing name, which only leaves it out.
    if (int status = nl_recvmsgs_default(socket->get());
        status < 0 && status != -NLE_NODEV && status != -NLE_OBJ_NOTFOUND)
      return Error{"cannot read the link " + name + ": " + nl_geterror(status)};
  }
  return links;
}

Result<std::vector<LinkInfo>> ListLinks() {
  auto socket = Connect();
  if (!socket) return socket.error();
  std::vector<LinkInfo> links;
  // A buffer larger than any dump part the kernel sends (32 KiB at most) spares libnl the peek
  // that doubles every receive; a part that did not fit would fail, never be cut silently.
  nl_socket_set_msg_buf_size(socket->get(), 64 * 1024);
  nl_socket_modify_cb(socket->get(), NL_CB_VALID, NL_CB_CUSTOM, OnLink, &links);
  if (int status = SendLinkDumpRequest(socket->get()); status < 0)
    return Error{std::string("cannot ask for the links: ") + nl_geterror(status)};
  if (int status = nl_recvmsgs_default(socket->get()); status < 0)
    return Error{std::string("cannot read the links: ") + nl_geterror(status)};
  return links;
}

Result<Done> SetLinkMtu(const std::string& name, long mtu) {
  auto socket = Connect();
  if (!socket) return socket.error();
  rtnl_link* current = nullptr;
  if (int status = rtnl_link_get_kernel(socket->get(), 0, name.c_str(), &current); status < 0)
    return Error{"no interface " + name + ": " + nl_geterror(status)};
  rtnl_link* change = rtnl_link_alloc();
  rtnl_link_set_mtu(change, static_cast<unsigned>(mtu));
  const int status = rtnl_link_change(socket->get(), current, change, 0);
  rtnl_link_put(change);
  rtnl_link_put(current);
  if (status < 0)
    return Error{"the kernel refused MTU " + std::to_string(mtu) + " on " + name + ": " + nl_geterror(status)};
  return Done{};
}

}  // namespace zf::kernel
