#pragma once

#include "framework/data_exchange.h"
#include "framework/window_base.h"
#include "platform/dialog_template.h"
#include "platform/window_port.h"

#include <cstdint>

namespace framework {

// A dialog: a window made from a template that runs a modal loop until
// EndDialog gives its result, with data exchange and OK and Cancel.
class CDialog : public CWindowBase {
public:
    CDialog(platform::WindowSystem& windows, const platform::DialogTemplate& dialogTemplate,
            platform::WindowHandle parent = platform::kNoWindow);

    // The result given to EndDialog, or -1 when the dialog could not run.
    LResult DoModal();
    bool EndDialog(LResult result);

protected:
    // Base: loads the controls from the members; true leaves the focus to
    // the dialog manager.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(DataExchange& exchange);
    virtual void OnOK();
    virtual void OnCancel();

    bool UpdateData(bool saveAndValidate);
    // The paint of a dialog with an icon: the icon centred while minimised,
    // a plain dialog's paint otherwise.
    void PaintWithIcon(platform::IconHandle icon);

    LResult OnFirstMessage() final;
    // OK and Cancel, then default processing.
    LResult ClassBehaviour(std::uint32_t message, WParam wParam, LParam lParam,
                           bool& handled) override;

private:
    const platform::DialogTemplate& m_template;
    platform::WindowHandle m_parent;
};

} // namespace framework
