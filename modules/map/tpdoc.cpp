#include "modules/map/tpdoc.h"

#include <algorithm>
#include <cmath>

#include "frame/identifiers.h"
#include "frame/localtext.h"
#include "frame/proapp.h"
#include "frame/servicecall.h"
#include "modules/map/picturefiles.h"
#include "orb/net/orbservice.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "services/types/elementobj.h"
#include "services/types/tpinfoobj.h"

namespace {

const char *const SaveQuestion = "元件信息已经改变,要保存当前信息吗?";
const char *const DropQuestion = "不保存并放弃对当前拓扑图的修改吗?";
const char *const NotFoundCode = "NOT_FOUND";
// Room around the last cell when a picture has no background large enough.
constexpr int CanvasMargin = 20;

OrbService *ServiceNamed(const char *name)
{
    CProApp *app = CProApp::instance();
    return app ? app->GetService(QString::fromLatin1(name)) : nullptr;
}

QString LoadError(const QString &path)
{
    return QStringLiteral("Load ") + path + QStringLiteral(" Error!");
}

MtxString Argument(const QString &text)
{
    const std::string local = toLocal(text);
    return MtxString(local.c_str());
}

} // namespace

CTPDoc::CTPDoc()
    : m_tpService(ServiceNamed("TPService"))
    , m_elementService(ServiceNamed("ElementService"))
    , m_reader(m_elementService, m_tpService)
{
    if (CProApp *app = GetApp())
        m_reader.SetInterval(app->GetProfileInt("TP", QStringLiteral("StateRefreshSeconds"),
                                                CCellStateReader::DefaultIntervalSeconds));
    connect(&m_reader, &CCellStateReader::refreshDue, this, &CTPDoc::RefreshStates);
    connect(&m_reader, &CCellStateReader::finished, this,
            [this](const CCellStateReader::Result &result) { ApplyStates(result, true); });
}

CTPDoc::~CTPDoc()
{
    m_reader.Cancel();
}

void CTPDoc::Report(const QString &text) const
{
    if (CProApp *app = GetApp())
        app->ShowMessage(text);
}

// ---- pictures ----

bool CTPDoc::OpenPicture(const QString &background, const QString &pid)
{
    m_reader.Invalidate();
    m_background = background;
    m_pid = pid;
    LoadBackground();
    for (const auto &cell : m_cells)
        emit cellRemoved(cell.get());
    m_cells.clear();
    m_loaded = false;
    SetModified(false);

    MtxArray records;
    records.setFactory(m_tpService);
    const MtxString argument = Argument(pid);
    OrbService *service = m_tpService;
    const MtxStatus status = service
        ? RunServerCall([&] { return service->invoke("findTPInfoArrayByPID", {&argument}, &records); }, m_window)
        : MtxStatus();
    if (!service || !status.succeeded()) {
        if (service)
            ShowCallFailure(status);
        else
            Report(QStringLiteral("TPService 服务没有加载，请检查 Keelsys.ini 的 SYSTEMSERVICE 配置"));
        emit pictureOpened();
        return false;
    }

    int skipped = 0, adjusted = 0;
    for (const auto &item : records) {
        const auto *record = dynamic_cast<const TPInfoObj *>(item.get());
        auto cell = std::make_unique<CTPCell>();
        const CTPCell::ReadResult read = record ? cell->Read(*record) : CTPCell::ReadResult::Rejected;
        if (read == CTPCell::ReadResult::Rejected) {
            ++skipped;
            continue;
        }
        adjusted += read == CTPCell::ReadResult::Adjusted;
        m_cells.push_back(std::move(cell));
    }
    m_loaded = true;
    LoadStateImages();
    if (skipped || adjusted)
        Report(QStringLiteral("拓扑图中有 %1 个元件的位置或大小无效：%2 个未显示，%3 个已修正（保存后生效）")
                   .arg(skipped + adjusted)
                   .arg(skipped)
                   .arg(adjusted));
    const QStringList elements = BoundElements();
    if (!elements.isEmpty()) {
        CCellStateReader::Result states;
        OrbService *elementService = m_elementService;
        RunServerCall(
            [&] {
                states = CCellStateReader::Read(elementService, elements);
                return MtxStatus();
            },
            m_window);
        ApplyStates(states, false);
    }
    SetModified(adjusted > 0);
    emit pictureOpened();
    return true;
}

void CTPDoc::LoadBackground()
{
    m_picture = CPicture();
    if (!PictureFiles::IsPlainName(m_background)) {
        Report(QStringLiteral("背景图片名称“%1”无效：只能是 UserImage 目录中的文件名").arg(m_background));
        return;
    }
    const QString path = PictureFiles::PathOf(PictureFiles::UserImageFolder, m_background);
    if (!m_picture.Load(path))
        Report(LoadError(path));
}

void CTPDoc::LoadStateImages()
{
    for (int state = 0; state <= CTPCell::MaxState; ++state) {
        if (!m_stateImages[state].isNull())
            continue;
        const QString path = PictureFiles::StatusImagePath(state);
        CPicture picture;
        if (picture.Load(path))
            m_stateImages[state] = picture.Image();
        else if (!m_cells.empty())
            Report(LoadError(path));
    }
}

QImage CTPDoc::StateImage(int state) const
{
    return state >= 0 && state <= CTPCell::MaxState ? m_stateImages[state] : QImage();
}

QSize CTPDoc::CanvasSize() const
{
    QRectF area(QPointF(0, 0), QSizeF(m_picture.Size()));
    for (const auto &cell : m_cells)
        area = area.united(cell->m_rect.adjusted(0, 0, CanvasMargin, CanvasMargin));
    return QSize(int(std::ceil(area.right())), int(std::ceil(area.bottom())));
}

bool CTPDoc::SwitchTo(const QString &background, const QString &pid, bool remember)
{
    if (!SaveModified())
        return false;
    if (remember)
        m_history.emplace_back(m_background, m_pid);
    return OpenPicture(background, pid);
}

bool CTPDoc::OpenTop()
{
    if (m_pid == QLatin1String(TopPid) && m_loaded)
        return true;
    return SwitchTo(QString::fromUtf8(TopBackground), QString::fromLatin1(TopPid), !m_pid.isEmpty());
}

bool CTPDoc::GoBack()
{
    if (m_history.empty())
        return false;
    if (!SaveModified())
        return false;
    const auto [background, pid] = m_history.back();
    m_history.pop_back();
    return OpenPicture(background, pid);
}

bool CTPDoc::EnterSubPicture(const CTPCell *cell)
{
    if (!cell || cell->m_image.isEmpty())
        return false;
    if (!PictureFiles::IsPlainName(cell->m_image)) {
        Report(QStringLiteral("下级图片名称“%1”无效：只能是 UserImage 目录中的文件名").arg(cell->m_image));
        return false;
    }
    // The cell may be replaced by the save, so take what is needed first.
    const QString background = cell->m_image, pid = cell->m_id;
    return SwitchTo(background, pid, true);
}

bool CTPDoc::Reload()
{
    return SaveModified() && OpenPicture(m_background, m_pid);
}

// ---- cells ----

CTPCell *CTPDoc::FindCell(const QString &id) const
{
    const auto found = std::find_if(m_cells.begin(), m_cells.end(), [&](const auto &cell) { return cell->m_id == id; });
    return found == m_cells.end() ? nullptr : found->get();
}

CTPCell *CTPDoc::AddCell(const QRectF &rect, int kind, const QString &image)
{
    if (!m_loaded)
        return nullptr;
    auto cell = std::make_unique<CTPCell>();
    cell->m_id = Identifiers::NewId();
    cell->m_pid = m_pid;
    cell->m_kind = kind;
    cell->m_image = image;
    cell->m_rect = rect;
    cell->m_changed = true;
    CTPCell *added = cell.get();
    m_cells.push_back(std::move(cell));
    SetModified(true);
    emit cellAdded(added);
    return added;
}

void CTPDoc::SetCellGeometry(CTPCell *cell, const QRectF &rect)
{
    if (!cell || !m_loaded || cell->m_rect == rect)
        return;
    cell->m_rect = rect;
    cell->m_changed = true;
    SetModified(true);
    emit cellChanged(cell);
}

void CTPDoc::SetCellProperties(CTPCell *cell, int kind, const QString &image)
{
    if (!cell || !m_loaded || (cell->m_kind == kind && cell->m_image == image))
        return;
    cell->m_kind = kind;
    cell->m_image = image;
    cell->m_changed = true;
    SetModified(true);
    emit cellChanged(cell);
}

bool CTPDoc::BindCell(CTPCell *cell, const QString &elementId)
{
    if (!cell || !m_loaded)
        return false;
    if (cell->m_stored) {
        CTPCell bound = *cell;
        bound.m_mid = elementId;
        TPInfoObj record;
        bound.Write(record);
        if (!CallService(m_tpService, "updateTPInfo", {&record}, nullptr, m_window))
            return false;
        // The whole record went to the server: the cell is stored as it stands.
        cell->m_mid = elementId;
        cell->m_changed = false;
    } else {
        cell->m_mid = elementId;
        cell->m_changed = true;
        SetModified(true);
    }
    RefreshCell(cell);
    return true;
}

bool CTPDoc::DeleteCell(CTPCell *cell)
{
    if (!cell || !m_loaded)
        return false;
    const auto found = std::find_if(m_cells.begin(), m_cells.end(), [&](const auto &held) { return held.get() == cell; });
    if (found == m_cells.end())
        return false;
    if (cell->m_stored) {
        const MtxString id = Argument(cell->m_id);
        OrbService *service = m_tpService;
        bool cellGone = false;
        const MtxStatus status = RunServerCall(
            [&] {
                MtxStatus result = service->invoke("deleteTPInfo", {&id});
                if (!result.succeeded())
                    return result;
                cellGone = true;
                return service->invoke("deleteTPInfoArrayByPID", {&id});
            },
            m_window);
        if (!status.succeeded())
            ShowCallFailure(status);
        // Once the server removed the cell itself the picture follows it,
        // even when emptying its sub-picture failed.
        if (!cellGone)
            return false;
    }
    std::unique_ptr<CTPCell> removed = std::move(*found);
    m_cells.erase(found);
    emit cellRemoved(removed.get());
    return true;
}

// ---- saving ----

void CTPDoc::SetModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

bool CTPDoc::Save(bool announce)
{
    m_lastSaveRequests = 0;
    if (!m_loaded) {
        Report(QStringLiteral("拓扑图没有读取成功，不能保存：请先重新打开它"));
        return false;
    }
    std::vector<CTPCell *> changed;
    for (const auto &cell : m_cells) {
        if (cell->m_changed)
            changed.push_back(cell.get());
    }
    std::vector<TPInfoObj> records(changed.size());
    for (std::size_t i = 0; i < changed.size(); ++i)
        changed[i]->Write(records[i]);

    std::size_t done = 0;
    int requests = 0;
    MtxStatus status;
    if (!changed.empty()) {
        OrbService *service = m_tpService;
        status = RunServerCall(
            [&] {
                MtxStatus result;
                for (; done < changed.size(); ++done) {
                    const TPInfoObj &record = records[done];
                    ++requests;
                    if (changed[done]->m_stored) {
                        result = service->invoke("updateTPInfo", {&record});
                        if (!result.succeeded() && std::string_view(result.getCode()) == NotFoundCode) {
                            ++requests;
                            result = service->invoke("addTPInfo", {&record});
                        }
                    } else {
                        result = service->invoke("addTPInfo", {&record});
                    }
                    if (!result.succeeded())
                        return result;
                }
                return result;
            },
            m_window);
    }
    m_lastSaveRequests = requests;
    for (std::size_t i = 0; i < done; ++i) {
        changed[i]->m_stored = true;
        changed[i]->m_changed = false;
    }
    if (done < changed.size()) {
        ShowCallFailure(status);
        return false;
    }
    SetModified(false);
    if (announce)
        Report(QStringLiteral("数据保存完毕!"));
    return true;
}

bool CTPDoc::SaveModified()
{
    if (!m_modified || !m_loaded)
        return true;
    CProApp *app = GetApp();
    if (!app)
        return false;
    if (app->AskQuestion(QString::fromUtf8(SaveQuestion)))
        return Save(false);
    return app->AskQuestion(QString::fromUtf8(DropQuestion));
}

// ---- zoom and mode ----

void CTPDoc::SetZoomSteps(int steps)
{
    steps = std::clamp(steps, MinZoomSteps, MaxZoomSteps);
    if (steps == m_zoomSteps)
        return;
    m_zoomSteps = steps;
    emit zoomChanged(Zoom());
}

void CTPDoc::ZoomIn()
{
    SetZoomSteps(m_zoomSteps + 1);
}

void CTPDoc::ZoomOut()
{
    SetZoomSteps(m_zoomSteps - 1);
}

void CTPDoc::ZoomReset()
{
    SetZoomSteps(ZoomStepsPerUnit);
}

void CTPDoc::SetEditMode(int mode)
{
    if (mode < BrowseMode || mode > ArrangeMode || mode == m_editMode)
        return;
    m_editMode = mode;
    emit editModeChanged(mode);
}

// ---- states ----

QStringList CTPDoc::BoundElements() const
{
    QStringList ids;
    for (const auto &cell : m_cells) {
        if (!cell->m_mid.isEmpty() && !ids.contains(cell->m_mid))
            ids.append(cell->m_mid);
    }
    return ids;
}

bool CTPDoc::RefreshStates()
{
    const QStringList elements = BoundElements();
    return m_loaded && !elements.isEmpty() && m_reader.StartRead(elements, m_pid);
}

void CTPDoc::RefreshCell(CTPCell *cell)
{
    if (!cell)
        return;
    if (cell->m_mid.isEmpty()) {
        cell->m_state = CTPCell::StateUnknown;
    } else {
        CCellStateReader::Result result;
        OrbService *service = m_elementService;
        const QStringList ids{cell->m_mid};
        RunServerCall(
            [&] {
                result = CCellStateReader::Read(service, ids);
                return MtxStatus();
            },
            m_window);
        if (result.failures)
            Report(QStringLiteral("读取元件状态失败：%1").arg(result.firstFailure));
        cell->m_state = result.states.value(cell->m_mid, CTPCell::StateUnknown);
    }
    emit cellChanged(cell);
}

void CTPDoc::ApplyStates(const CCellStateReader::Result &result, bool quietWhenFailing)
{
    if (result.failures && !(quietWhenFailing && m_refreshFailing))
        Report(QStringLiteral("读取 %1 个元件的状态失败：%2").arg(result.failures).arg(result.firstFailure));
    m_refreshFailing = result.failures > 0;
    for (const auto &cell : m_cells) {
        const auto state = result.states.constFind(cell->m_mid);
        if (state == result.states.constEnd() || cell->m_state == *state)
            continue;
        cell->m_state = *state;
        emit cellChanged(cell.get());
    }
}

bool CTPDoc::ReadMonitorData(const QString &elementId, ElementObj &element, std::vector<ElementObj> &monitors)
{
    monitors.clear();
    if (elementId.isEmpty())
        return false;
    const MtxString id = Argument(elementId);
    if (!CallService(m_elementService, "selectElementObj", {&id}, &element, m_window))
        return false;
    MtxArray array;
    array.setFactory(m_elementService);
    if (!CallService(m_elementService, "findElementArray", {&id}, &array, m_window))
        return false;
    for (const auto &item : array) {
        if (const auto *monitor = dynamic_cast<const ElementObj *>(item.get()))
            monitors.push_back(*monitor);
    }
    return true;
}
