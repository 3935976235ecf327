// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/AnsiblePlaybook.h"

#include "kernel/PersistTexts.h"
#include "kernel/SettingTable.h"

namespace zf::kernel {
namespace {

// YAML's double-quoted scalar; the values and names here are plain text without control characters.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::string Indented(const std::string& text, const std::string& indent) {
  std::string lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines += (end == start ? "" : indent + text.substr(start, end - start)) + "\n";
  return lines;
}

std::string SysctlTask(const std::string& key, const std::string& value) {
  const std::string name = DisplayName(key);
  return "    - name: " + Quoted(name + " = " + value) +
         "\n"
         "      ansible.posix.sysctl:\n"
         "        name: " +
         Quoted(name) + "\n        value: " + Quoted(value) +
         "\n"
         "        sysctl_file: /etc/sysctl.d/80-zentrofast.conf\n"
         "        sysctl_set: true\n"
         "        reload: false\n"
         "        state: present\n";
}

// nmcli's answer about the device, registered as `variable` on the target.
std::string MtuTasks(const std::string& name, const std::string& mtu, const LinkInfo* link, const std::string& variable,
                     const std::vector<std::string>& linkFolders) {
  const std::string managed = variable + ".rc == 0 and (" + variable + ".stdout_lines | length) > 2 and " + variable +
                              ".stdout_lines[2] != '' and 'unmanaged' not in " + variable + ".stdout_lines[1] and " +
                              variable + ".stdout_lines[0] in ['ethernet', 'wifi']";
  std::string tasks = "    - name: " + Quoted("MTU " + mtu + " on " + name + " now") +
                      "\n"
                      "      ansible.builtin.command: " +
                      Quoted("ip link set dev " + name + " mtu " + mtu) +
                      "\n"
                      "    - name: " +
                      Quoted("Ask NetworkManager whether it manages " + name) +
                      "\n"
                      "      ansible.builtin.command: " +
                      Quoted("nmcli -t -g GENERAL.TYPE,GENERAL.STATE,GENERAL.CONNECTION device show " + name) +
                      "\n      register: " + variable +
                      "\n"
                      "      changed_when: false\n"
                      "      failed_when: false\n"
                      "    - name: " +
                      Quoted("MTU " + mtu + " of " + name + " kept in its NetworkManager connection") +
                      "\n"
                      "      community.general.nmcli:\n"
                      "        conn_name: \"{{ " +
                      variable + ".stdout_lines[2] }}\"\n        type: \"{{ " + variable +
                      ".stdout_lines[0] }}\"\n        ifname: " + Quoted(name) + "\n        mtu: " + mtu +
                      "\n"
                      "        state: present\n"
                      "      when: " +
                      managed + "\n";
  if (!link || link->permanentMac.empty())
    return tasks + "    # Where NetworkManager does not manage " + name +
           ", its MTU lasts until the next reboot: it has no permanent\n"
           "    # address for a .link file to match, so set the MTU where the device is brought up (ifupdown's\n"
           "    # `mtu`, a .network file's [Link] MTUBytes=).\n";
  const std::string file = LinkFileName(name);
  return tasks + "    - name: " + Quoted("MTU " + mtu + " of " + name + " kept in a .link file") +
         "\n"
         "      ansible.builtin.copy:\n"
         "        dest: " +
         Quoted("/etc/systemd/network/" + file) +
         "\n"
         "        mode: \"0644\"\n"
         "        content: |\n" +
         Indented(LinkFileText(name, link->permanentMac, mtu, NamingToCarry(*link, linkFolders)), "          ") +
         "      when: not (" + managed + ")\n";
}

}  // namespace

std::string AnsiblePlaybookText(const SettingMap& desired, const std::vector<LinkInfo>& links,
                                const std::vector<std::string>& linkFolders) {
  std::string text =
      "# Written by Zentrofast (`zentrofastctl kernel export --format ansible`): the same settings as the\n"
      "# kernel bridge keeps. Run it with ansible-playbook; it needs the ansible.posix and\n"
      "# community.general collections.\n"
      "- name: Zentrofast connection tuning\n"
      "  hosts: all\n"
      "  become: true\n"
      "  gather_facts: false\n"
      "  tasks:\n";
  std::size_t tasks = 0, interfaces = 0;
  for (const auto& [key, value] : desired) {
    if (IsMtuKey(key)) continue;
    text += SysctlTask(key, value);
    ++tasks;
  }
  for (const auto& [key, mtu] : desired) {
    if (!IsMtuKey(key)) continue;
    const std::string name = InterfaceOfKey(key);
    text += MtuTasks(name, mtu, FindLink(links, name), "zentrofast_nm_" + std::to_string(++interfaces), linkFolders);
    ++tasks;
  }
  if (tasks == 0) text += "    - name: Nothing is tuned\n      ansible.builtin.meta: noop\n";
  return text;
}

}  // namespace zf::kernel
