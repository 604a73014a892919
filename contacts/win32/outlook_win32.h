// The connection to Outlook through its published automation object model,
// late bound: every member is looked up by name at run time. The calling
// thread must have COM initialised (the main window's thread does).
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "contacts/core/outlook_import.h"

struct IDispatch;

namespace vx {

class TOutlookConnect : public IOutlookContacts {
public:
    TOutlookConnect();
    ~TOutlookConnect() override;  // disconnects
    TOutlookConnect(const TOutlookConnect&) = delete;
    TOutlookConnect& operator=(const TOutlookConnect&) = delete;

    bool Connected() const override { return connected_; }
    void SetConnected(bool on) override;
    int GetItemCount() override;
    std::unique_ptr<IOutlookPolozka> GetItem(int index) override;

    // The automation server's programmatic identifier and the namespace type
    // passed to GetNamespace; an empty value takes the default again.
    std::string OLEObject = "Outlook.Application";
    std::string OLENameSpace = "MAPI";
    std::function<void(TOutlookConnect&)> OnConnect;
    std::function<void(TOutlookConnect&)> OnDisConnect;

private:
    void Disconnect();
    bool connected_ = false;
    IDispatch* application_ = nullptr;
    IDispatch* namespace_ = nullptr;
};

}  // namespace vx
