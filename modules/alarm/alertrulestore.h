#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "modules/alarm/rulerecords.h"
#include "orb/wire/mtxstatus.h"

class MtxObj;
class OrbService;
class QWidget;

// The alert rules on the server, through "AlertService". Reads fill records;
// every change is a sequence of calls that stops at the first refusal,
// shows the server's message and puts the server back as it was before the
// sequence (a half-made rule is removed, a replaced or deleted one restored
// from the copy taken before). Nothing here reports success to the user.
class CAlertRuleStore
{
public:
    static constexpr const char *ServiceName = "AlertService";

    explicit CAlertRuleStore(OrbService *service);
    virtual ~CAlertRuleStore();

    OrbService *Service() const { return m_service; }
    // The window whose input waits while a call runs.
    void SetCaller(QWidget *caller) { m_caller = caller; }

    // All rules (type < 0) or those of one alert type.
    bool FetchRules(int type, std::vector<AlertRuleObj> &rules);
    // The Enabled value of each rule, or nothing where its parameter could not
    // be read; nothing is shown, the first refusal lands in firstFailure.
    std::vector<std::optional<std::string>> ReadEnabled(const std::vector<std::string> &ids,
                                                        MtxStatus &firstFailure);
    // The rule's five record kinds; records are reset first.
    bool Load(const std::string &id, CRuleRecords &records);

    bool Add(const CRuleRecords &records);
    // Replaces the rule stored as old (a fresh copy) by now, same RuleID.
    bool Replace(const CRuleRecords &old, const CRuleRecords &now);
    bool Remove(const CRuleRecords &old);
    // Re-reads the rule's parameter and stores it again with only Enabled changed.
    bool SetEnabled(const std::string &id, bool on);

protected:
    // One remote call; nothing shown. Runs off the user-interface thread.
    virtual MtxStatus Invoke(const char *method, std::initializer_list<const MtxObj *> args, MtxObj *response);

private:
    struct Step
    {
        const char *method;
        const MtxObj *argument;
    };
    using Steps = std::vector<Step>;

    static Steps Adds(const CRuleRecords &records);
    static Steps Deletes(const MtxObj &ruleId);
    // Runs the steps in order up to the first failure; its index, or -1.
    int Run(const Steps &steps, MtxStatus &failure);
    // Runs the steps and shows the failure; the index of the failing step, or -1.
    int RunShown(const Steps &steps);
    bool Call(const char *method, std::initializer_list<const MtxObj *> args, MtxObj *response);
    bool HasService() const;
    // Puts copy back after a sequence that failed midway.
    void Restore(const CRuleRecords &copy);

    OrbService *m_service;
    QWidget *m_caller = nullptr;
};
