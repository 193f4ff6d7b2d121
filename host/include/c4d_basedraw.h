// A view of the document: its camera, frame and drawing.
#pragma once
#include <vector>
#include "c4d_baseobject.h"

class BaseDocument;
class BaseDrawHelp;

// Orientation of the safe frame (GetSafeFrame): which range of the view from and to bound.
enum { SAFEFRAME_HORIZONTAL = 1, SAFEFRAME_VERTICAL = 2 };

// Flag of DrawPolygonObject: place the object by the helper's matrix instead of its own.
enum { DRAW_POLYGONOBJECT_NOMATRIX = 0x40000000 };

class BaseDraw {
 public:
  explicit BaseDraw(BaseDocument* doc = nullptr) : doc_(doc) {}
  ~BaseDraw();
  BaseDraw(const BaseDraw&) = delete;
  BaseDraw& operator=(const BaseDraw&) = delete;

  // The document the view shows: its own, else the active document.
  BaseDocument* GetDocument() const;
  // The camera the view looks through: the scene camera set for it while that is an object of
  // the document, else the view's editor camera (which the host frames on the document when
  // it first evaluates it). Null only when asked for another document.
  BaseObject* GetSceneCamera(const BaseDocument* doc) const;
  void SetSceneCamera(BaseObject* op) { camera_ = op ? op->GetUniqueId() : 0; }
  // The editor camera: a camera object owned by the view, in no document.
  BaseObject* GetEditorCamera() const;

  // The view's frame in pixels, bounds included: (0, 0) to (width - 1, height - 1).
  void GetFrame(LONG* left, LONG* top, LONG* right, LONG* bottom) const;
  // The part of the frame the rendered image covers, at the aspect of the document's render
  // resolution and centred: with orientation SAFEFRAME_HORIZONTAL from and to bound the
  // horizontal range (the image is narrower than the view and takes its whole height), with
  // SAFEFRAME_VERTICAL the vertical range.
  void GetSafeFrame(LONG* from, LONG* to, LONG* orientation) const;

  // Coordinates: world (W), camera (C: x right, y up, z forwards, host units) and screen (S:
  // pixels of the frame, y down; z keeps the camera depth). The camera's axes are taken as the
  // renderer takes them: its position, its z axis forwards and its y axis up, normalised, x
  // completing them; a scaled or mirrored camera matrix changes nothing. The projection is a
  // perspective one through the camera's focal length and film width, filling the safe
  // frame's width, moved by the film offsets (fractions of the image's width and height).
  Vector WC(const Vector& p) const;
  Vector CS(const Vector& p) const;
  Vector WS(const Vector& p) const { return CS(WC(p)); }

  // Drawing; every line and polygon is recorded with the pen colour of its time.
  void SetPen(const Vector& col) { pen_ = col; }
  // Starts a new run of connected lines.
  void LineNew() { stroke_++; }
  // A line in screen coordinates.
  void Line2D(const Vector& p1, const Vector& p2);
  // A line in world coordinates.
  void Line3D(const Vector& p1, const Vector& p2);
  // A shaded triangle (quad FALSE) or quad in world coordinates; f holds corner colours or null.
  void DrawPolygon(const Vector* p, const Vector* f, Bool quad);
  // Draws a polygon object shaded, placed by the helper's matrix. FALSE for any other object.
  Bool DrawPolygonObject(BaseDrawHelp* bh, BaseObject* op, LONG flags);

  // ---- host side ----
  struct DrawnLine {
    Vector a, b;  // screen (screen == true) or world coordinates
    Vector color;
    bool screen;
    LONG stroke;
  };
  struct DrawnPolygon {
    std::vector<Vector> points;  // world coordinates
    Vector color;
  };
  // The size of the view in pixels (at least 1 by 1).
  void SetFrameSize(LONG width, LONG height);
  LONG GetFrameWidth() const { return width_; }
  LONG GetFrameHeight() const { return height_; }
  const std::vector<DrawnLine>& GetDrawnLines() const { return lines_; }
  const std::vector<DrawnPolygon>& GetDrawnPolygons() const { return polygons_; }
  void ClearDrawing();
  // The screen coordinates of a world line, cut where it passes behind the camera; false
  // when none of it is in front.
  bool ProjectLine(const Vector& a, const Vector& b, Vector* sa, Vector* sb) const;
  // The screen polygon of a world polygon, cut where it passes behind the camera; empty when
  // none of it is in front.
  std::vector<Vector> ProjectPolygon(const Vector* points, size_t count) const;
  // Nearest camera depth (host units) drawn; what lies nearer is cut away.
  static Real NearDepth();

  // Whether the view looks through its editor camera (no scene camera of the document is set).
  bool UsesEditorCamera() const;
  // Whether the editor camera has been placed since the view was made.
  bool IsEditorCameraPlaced() const { return editorPlaced_; }
  // Places the editor camera (global matrix, focus distance in host units).
  void PlaceEditorCamera(const Matrix& mg, Real focusDistance);

 private:
  // The camera's frame as the renderer reads it (see WC).
  Matrix CameraFrame() const;

  BaseDocument* doc_;
  uint64_t camera_ = 0;
  mutable BaseObject* editorCamera_ = nullptr;
  bool editorPlaced_ = false;
  LONG width_ = 800, height_ = 600;
  Vector pen_{1, 1, 1};
  LONG stroke_ = 0;
  std::vector<DrawnLine> lines_;
  std::vector<DrawnPolygon> polygons_;
};

// What the host hands a node's Draw besides the view: the document and the matrix the node
// is drawn with.
class BaseDrawHelp {
 public:
  BaseDrawHelp(BaseDraw* bd, BaseDocument* doc) : bd_(bd), doc_(doc) {}
  BaseDocument* GetDocument() const { return doc_; }
  BaseDraw* GetBaseDraw() const { return bd_; }
  Matrix GetMg() const { return mg_; }
  void SetMg(const Matrix& mg) { mg_ = mg; }

 private:
  BaseDraw* bd_;
  BaseDocument* doc_;
  Matrix mg_;
};
