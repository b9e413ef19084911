#pragma once

#include <linux/capability.h>
#include <linux/securebits.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

// Tests of unreadable files and read-only folders need the permission bits to bind, and tests
// often run as root, whom the bits do not stop. For one scope this drops the capabilities that
// pass them (reading, writing, searching and owning any file) from the calling thread's
// effective set; they stay permitted, so the destructor takes them back. Other threads keep
// theirs, as capabilities belong to each thread.
class ScopedFileCapabilityDrop
{
public:
    ScopedFileCapabilityDrop()
    {
        if (geteuid() != 0) {
            m_binding = true;
            return;
        }
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        if (syscall(SYS_capget, &header, m_saved) != 0) {
            return;
        }
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~kFileCapabilities;
        m_dropped = syscall(SYS_capset, &header, lowered) == 0;
        m_binding = m_dropped;
    }

    ~ScopedFileCapabilityDrop()
    {
        if (m_dropped) {
            __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
            syscall(SYS_capset, &header, m_saved);
        }
    }

    ScopedFileCapabilityDrop(const ScopedFileCapabilityDrop&) = delete;
    ScopedFileCapabilityDrop& operator=(const ScopedFileCapabilityDrop&) = delete;

    // True when permission bits now decide this thread's file access.
    bool Binding() const { return m_binding; }

    // For a child process between fork and exec (QProcess::setChildProcessModifier): a root
    // child then starts without any capability, so the bits bind the program it runs. Without
    // this, exec would hand root its full set again.
    static void LoseRootCapabilitiesOnExec()
    {
        if (geteuid() == 0) {
            prctl(PR_SET_SECUREBITS, SECBIT_NOROOT, 0, 0, 0);
        }
    }

    // Whether LoseRootCapabilitiesOnExec can work here: setting the secure bits takes
    // CAP_SETPCAP, which a container may withhold even from root.
    static bool ChildCanLoseRoot()
    {
        if (geteuid() != 0) {
            return true;
        }
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2] = {};
        return syscall(SYS_capget, &header, data) == 0 &&
               (data[0].effective & (1u << CAP_SETPCAP)) != 0;
    }

private:
    static constexpr __u32 kFileCapabilities =
        (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);

    __user_cap_data_struct m_saved[2] = {};
    bool m_dropped = false;
    bool m_binding = false;
};
