#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QImage>
#include <QStringList>

#include "frame/imaging/picture.h"
#include "frame/probaseframedoc.h"
#include "modules/map/cellstatereader.h"
#include "modules/map/tpcell.h"

class ElementObj;
class OrbService;
class QWidget;

// MapDesk's document: one topology picture at a time (its background, its
// cells and their states), the pictures visited before it, the zoom and the
// edit mode. Cells are read and written through "TPService", states through
// "ElementService". Every remote step changes local state only after the
// server agreed; nothing unsaved is dropped without asking.
class CTPDoc : public CProBaseFrameDoc
{
    Q_OBJECT

public:
    static constexpr const char *TopPid = "1";
    static constexpr const char *TopBackground = "总拓扑.jpg";
    // Zoom in whole steps of 0.2: at least 0.2, 1.0 on reset, at most 5.0.
    static constexpr int ZoomStepsPerUnit = 5;
    static constexpr int MinZoomSteps = 1;
    static constexpr int MaxZoomSteps = 25;
    enum EditMode { BrowseMode = 0, DrawMode = 1, ArrangeMode = 2 };

    CTPDoc();
    ~CTPDoc() override;

    // ---- pictures ----
    // Opens a picture without asking about unsaved changes (the view's first
    // picture, a reload). False when the cells could not be fetched: the
    // picture is then not loaded and can be neither edited nor saved.
    bool OpenPicture(const QString &background, const QString &pid);
    // The switches below ask about unsaved changes first; false when the user
    // stayed, the save failed or the new picture could not be fetched.
    bool OpenTop();
    bool GoBack();
    bool EnterSubPicture(const CTPCell *cell);
    bool Reload();
    bool CanGoBack() const { return !m_history.empty(); }

    QString Pid() const { return m_pid; }
    QString Background() const { return m_background; }
    bool IsLoaded() const { return m_loaded; }
    const CPicture &BackgroundPicture() const { return m_picture; }
    // The picture's size at zoom 1: the background's, grown to hold every cell.
    QSize CanvasSize() const;

    // ---- cells ----
    const std::vector<std::unique_ptr<CTPCell>> &Cells() const { return m_cells; }
    CTPCell *FindCell(const QString &id) const;
    // A new cell on this picture, not yet stored; null when not editable.
    CTPCell *AddCell(const QRectF &rect, int kind, const QString &image);
    void SetCellGeometry(CTPCell *cell, const QRectF &rect);
    void SetCellProperties(CTPCell *cell, int kind, const QString &image);
    // Binds cell to an element. A stored cell is updated on the server at once
    // (kind included); an unsaved one only marks the picture modified.
    bool BindCell(CTPCell *cell, const QString &elementId);
    // Deletes the cell, then its sub-picture, on the server; the cell goes
    // from the picture once the server removed it.
    bool DeleteCell(CTPCell *cell);
    // The image of a state: the status bitmaps; null for an unknown state.
    QImage StateImage(int state) const;

    // ---- saving ----
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified);
    // Sends what changed: updates for stored cells (an add when the server
    // does not know one), adds for new ones, in display order, stopping at
    // the first refusal. announce shows "数据保存完毕!" on success.
    bool Save(bool announce = true);
    // The question about unsaved changes: true to go on (saved or dropped).
    bool SaveModified() override;
    // Number of requests the last Save sent.
    int LastSaveRequests() const { return m_lastSaveRequests; }

    // ---- zoom and mode ----
    double Zoom() const { return double(m_zoomSteps) / ZoomStepsPerUnit; }
    int ZoomSteps() const { return m_zoomSteps; }
    void ZoomIn();
    void ZoomOut();
    void ZoomReset();
    int EditMode() const { return m_editMode; }
    void SetEditMode(int mode);

    // ---- states and monitoring data ----
    CCellStateReader &StateReader() { return m_reader; }
    // Starts a refresh of the cells' states on a worker (the periodic tick).
    bool RefreshStates();
    // Reads the state of one cell's element now.
    void RefreshCell(CTPCell *cell);
    // "selectElementObj" and "findElementArray" of the element; false (message
    // shown) on failure.
    bool ReadMonitorData(const QString &elementId, ElementObj &element, std::vector<ElementObj> &monitors);
    OrbService *ElementService() const { return m_elementService; }

    // The window the document's calls and messages belong to.
    void SetWindow(QWidget *window) { m_window = window; }

signals:
    void pictureOpened();
    void cellAdded(CTPCell *cell);
    void cellChanged(CTPCell *cell);
    void cellRemoved(CTPCell *cell);
    void zoomChanged(double zoom);
    void editModeChanged(int mode);
    void modifiedChanged(bool modified);

private:
    bool SwitchTo(const QString &background, const QString &pid, bool remember);
    void LoadBackground();
    void LoadStateImages();
    void ApplyStates(const CCellStateReader::Result &result, bool quietWhenFailing);
    QStringList BoundElements() const;
    void Report(const QString &text) const;
    void SetZoomSteps(int steps);

    OrbService *m_tpService = nullptr;
    OrbService *m_elementService = nullptr;
    QWidget *m_window = nullptr;
    CCellStateReader m_reader;

    QString m_background;
    QString m_pid;
    std::vector<std::pair<QString, QString>> m_history; // background, PID
    CPicture m_picture;
    QImage m_stateImages[CTPCell::MaxState + 1];
    std::vector<std::unique_ptr<CTPCell>> m_cells;
    bool m_loaded = false;
    bool m_modified = false;
    bool m_refreshFailing = false;
    int m_zoomSteps = ZoomStepsPerUnit;
    int m_editMode = BrowseMode;
    int m_lastSaveRequests = 0;
};
