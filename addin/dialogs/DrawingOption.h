#pragma once
// The options of a drawing package: every sheet (1) or only the active one
// (0).
#include "addin/PublishOptions.h"
#include "addin/dialogs/Dialog.h"

class CDrawingOption : public CHeadlessDialog
{
public:
    explicit CDrawingOption(const PublishOptions& options);

    int m_drawingMode = 1;

protected:
    void DoDataExchange(bool save) override;
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnOK() override;
};
