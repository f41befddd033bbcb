// Which handler answers which control's notification: per notification type,
// handler entries matched by the sender's name in table order.
#pragma once

#include "toolkit/UIlib.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

using NotificationHandler = std::function<void(DuiLib::TNotifyUI&)>;

struct NotificationEntry {
    std::wstring controlName;
    NotificationHandler handler;
};

class NotificationTable {
public:
    // Replaces whatever list the type had.
    void Assign(const std::wstring& type, std::vector<NotificationEntry> entries) {
        table_[type] = std::move(entries);
    }

    // Calls the first entry whose name equals the sender's; false when none does.
    bool Dispatch(DuiLib::TNotifyUI& msg) const {
        auto found = table_.find(msg.sType);
        if (found == table_.end() || !msg.pSender) return false;
        const std::wstring& sender = msg.pSender->GetName();
        for (const NotificationEntry& entry : found->second) {
            if (entry.controlName.empty() || entry.controlName != sender) continue;
            entry.handler(msg);
            return true;
        }
        return false;
    }

    void Clear() { table_.clear(); }

private:
    std::map<std::wstring, std::vector<NotificationEntry>> table_;
};
