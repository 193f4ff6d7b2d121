// The instance object: shows another object of the scene again at its own place. In the view
// it draws the linked object as bounding boxes, polygon edges or shaded polygons; when the
// host builds its cache it hands over a copy of the linked object, except while an export
// runs (the exported scene holds the linked object once, where it stands).
#include <unordered_set>
#include <vector>

#include "c4d.h"
#include "c4d_symbols.h"
#include "description/Okyranoinstance.h"
#include "PluginIds.h"
#include "Registration.h"

namespace {

// The bounds an unlinked instance reports: a box of 100 units around its centre.
const Vector kUnlinkedRadius(50, 50, 50);
const Vector kDefaultPen(0.8f, 0.8f, 0.8f);

BaseObject* LinkOf(BaseObject* instance, BaseDocument* doc) {
  return instance->GetDataInstance()->GetObjectLink(INSTANCE_LINK, doc);
}

// The targets of the instance objects in op's tree, op included.
void AddTargetsBelow(BaseObject* op, std::vector<BaseObject*>& targets) {
  if (op->GetType() == ID_KYRANOINSTANCE)
    if (BaseObject* target = LinkOf(op, op->GetDocument())) targets.push_back(target);
  for (BaseObject* child = op->GetDown(); child; child = child->GetNext()) AddTargetsBelow(child, targets);
}

// Whether a copy of target would hold, somewhere in it, an instance that leads back to target:
// an instance linked to itself or to one of its parents, or a chain of instances that closes
// on itself. Each copy would then make another copy, for ever.
Bool CopiesForEver(BaseObject* target) {
  std::vector<BaseObject*> pending;
  std::unordered_set<BaseObject*> seen{target};
  AddTargetsBelow(target, pending);
  while (!pending.empty()) {
    BaseObject* next = pending.back();
    pending.pop_back();
    if (next == target) return TRUE;
    if (seen.insert(next).second) AddTargetsBelow(next, pending);
  }
  return FALSE;
}

Vector DisplayColour(BaseObject* op) {
  const BaseContainer* bc = op->GetDataInstance();
  const LONG use = bc->GetLong(ID_BASEOBJECT_USECOLOR, ID_BASEOBJECT_USECOLOR_OFF);
  if (use == ID_BASEOBJECT_USECOLOR_ALWAYS) return bc->GetVector(ID_BASEOBJECT_COLOR, kDefaultPen);
  const LayerData* layer = use == ID_BASEOBJECT_USECOLOR_LAYER ? op->GetLayerData(op->GetDocument()) : nullptr;
  return layer ? layer->color : kDefaultPen;
}

void SetHidden(Description* description, LONG id, Bool hide) {
  if (BaseContainer* bc = description->GetParameterI(DescLevel(id), nullptr)) bc->SetBool(DESC_HIDE, hide);
}

}  // namespace

class KyranoInstance : public ObjectData {
 public:
  enum InstanceDrawMode { DRAW_BOXES = 0, DRAW_EDGES = 1, DRAW_SHADED = 2 };

  static NodeData* Alloc() { return new KyranoInstance; }
  Bool Init(GeListNode* node) override;
  Bool Message(GeListNode*, LONG, void*) override { return TRUE; }
  Bool GetDDescription(GeListNode* node, Description* description, LONG& flags) override;
  void GetDimension(PluginObject* op, Vector* mp, Vector* rad) override;
  Bool Draw(PluginObject* op, LONG drawpass, BaseDraw* bd, BaseDrawHelp* bh) override;
  BaseObject* GetVirtualObjects(PluginObject* op, HierarchyHelp* hh) override;

  // Draws op and, unless useGivenMatrix, its following siblings: their caches, polygon
  // objects and children, op placed by matrix itself (useGivenMatrix) or by matrix times its
  // local matrix.
  void RecoursiveDraw(BaseObject* op, BaseDraw* bd, BaseDrawHelp* bh, const Matrix& matrix, Bool useGivenMatrix,
                      InstanceDrawMode mode, LONG drawFlags, Bool visible);

  // While an export runs the flag is set and instances build no geometry.
  static InstanceSuppresser* suppresser;

 private:
  static InstanceDrawMode DrawModeOf(LONG value);
  static void DrawEdges(const PolygonObject* poly, BaseDraw* bd, const Matrix& m);
  static void DrawBox(const BaseObject* op, BaseDraw* bd, const Matrix& m);
};

InstanceSuppresser* KyranoInstance::suppresser = nullptr;

Bool KyranoInstance::Init(GeListNode* node) {
  BaseContainer* bc = static_cast<BaseObject*>(node)->GetDataInstance();
  bc->SetBool(INSTANCE_CUSTOM_BOX, FALSE);
  bc->SetVector(INSTANCE_BOX_SIZE, Vector(50, 50, 50));
  bc->SetVector(INSTANCE_BOX_CENTER, Vector(0, 0, 0));
  bc->SetBool(INSTANCE_FLAG_10005, TRUE);
  bc->SetLong(INSTANCE_DRAWMODE, INSTANCE_DRAWMODE_BOX);
  return TRUE;
}

// The custom box replaces the link: only one of the two is shown.
Bool KyranoInstance::GetDDescription(GeListNode* node, Description* description, LONG& flags) {
  if (!description->LoadDescription(node->GetType())) return FALSE;
  const Bool customBox = static_cast<BaseObject*>(node)->GetDataInstance()->GetBool(INSTANCE_CUSTOM_BOX, FALSE);
  SetHidden(description, INSTANCE_LINK, customBox);
  SetHidden(description, INSTANCE_BOX_GROUP, !customBox);
  flags |= DESCFLAGS_DESC_LOADED;
  return TRUE;
}

void KyranoInstance::GetDimension(PluginObject* op, Vector* mp, Vector* rad) {
  const BaseContainer* bc = op->GetDataInstance();
  if (bc->GetBool(INSTANCE_CUSTOM_BOX, FALSE)) {
    *mp = bc->GetVector(INSTANCE_BOX_CENTER, Vector(0, 0, 0));
    *rad = bc->GetVector(INSTANCE_BOX_SIZE, Vector(0, 0, 0)) * 0.5f;
    return;
  }
  // A link that leads back to the instance would ask its own bounds again.
  BaseObject* linked = LinkOf(op, GetActiveDocument());
  if (linked && !CopiesForEver(linked)) {
    *mp = linked->GetMp();
    *rad = linked->GetRad();
    return;
  }
  *mp = Vector(0, 0, 0);
  *rad = kUnlinkedRadius;
}

Bool KyranoInstance::Draw(PluginObject* op, LONG drawpass, BaseDraw* bd, BaseDrawHelp* bh) {
  BaseObject* linked = drawpass == DRAWPASS_OBJECT && bd ? LinkOf(op, GetActiveDocument()) : nullptr;
  if (linked && !op->GetBit(BIT_CONTROLOBJECT)) {
    // Shaded drawing places polygons through the helper: it gets its matrix back afterwards,
    // for the tags drawn after the object.
    const Matrix helperMg = bh ? bh->GetMg() : Matrix();
    const LONG mode = op->GetDataInstance()->GetLong(INSTANCE_DRAWMODE, INSTANCE_DRAWMODE_BOX);
    RecoursiveDraw(linked, bd, bh, op->GetMg(), TRUE, DrawModeOf(mode), 0, TRUE);
    if (bh) bh->SetMg(helperMg);
  }
  return ObjectData::Draw(op, drawpass, bd, bh);
}

void KyranoInstance::RecoursiveDraw(BaseObject* op, BaseDraw* bd, BaseDrawHelp* bh, const Matrix& matrix,
                                    Bool useGivenMatrix, InstanceDrawMode mode, LONG drawFlags, Bool visible) {
  for (; op; op = op->GetNext()) {
    const Matrix m = useGivenMatrix ? matrix : matrix * op->GetMl();
    Bool shown = visible;
    if (op->GetEditorMode() == MODE_ON) shown = TRUE;
    else if (op->GetEditorMode() == MODE_OFF) shown = FALSE;

    if (BaseObject* deformed = op->GetDeformCache()) {
      RecoursiveDraw(deformed, bd, bh, m, TRUE, mode, drawFlags, shown);
    } else if (BaseObject* cache = op->GetCache()) {
      RecoursiveDraw(cache, bd, bh, m, FALSE, mode, drawFlags, shown);
    } else if (op->GetType() == Opolygon) {
      bd->SetPen(DisplayColour(op));
      if (shown && !op->GetBit(BIT_CONTROLOBJECT)) {
        if (mode == DRAW_EDGES) {
          DrawEdges(static_cast<PolygonObject*>(op), bd, m);
        } else if (mode == DRAW_SHADED) {
          if (bh) bh->SetMg(m);
          bd->DrawPolygonObject(bh, op, drawFlags | DRAW_POLYGONOBJECT_NOMATRIX);
        } else {
          DrawBox(op, bd, m);
        }
      }
    }
    if (BaseObject* child = op->GetDown()) RecoursiveDraw(child, bd, bh, m, FALSE, mode, drawFlags, shown);
    if (useGivenMatrix) break;
  }
}

KyranoInstance::InstanceDrawMode KyranoInstance::DrawModeOf(LONG value) {
  switch (value) {
    case INSTANCE_DRAWMODE_WIRE: return DRAW_EDGES;
    case INSTANCE_DRAWMODE_SHADED: return DRAW_SHADED;
    default: return DRAW_BOXES;
  }
}

// Every polygon's outline: a quad's four sides, a triangle's three.
void KyranoInstance::DrawEdges(const PolygonObject* poly, BaseDraw* bd, const Matrix& m) {
  const Vector* points = poly->GetPointR();
  const LONG count = poly->GetPointCount();
  for (LONG i = 0; i < poly->GetPolygonCount(); i++) {
    const CPolygon& p = poly->GetPolygonR()[i];
    if (p.a < 0 || p.b < 0 || p.c < 0 || p.d < 0 || p.a >= count || p.b >= count || p.c >= count || p.d >= count)
      continue;
    const Vector a = m * points[p.a], b = m * points[p.b], c = m * points[p.c];
    bd->Line3D(a, b);
    bd->Line3D(b, c);
    if (p.c != p.d) {
      const Vector d = m * points[p.d];
      bd->Line3D(c, d);
      bd->Line3D(d, a);
    } else {
      bd->Line3D(c, a);
    }
  }
}

// The twelve edges of the object's bounding box.
void KyranoInstance::DrawBox(const BaseObject* op, BaseDraw* bd, const Matrix& m) {
  const Vector mp = op->GetMp(), rad = op->GetRad();
  Vector corner[8];
  for (int i = 0; i < 8; i++)
    corner[i] = m * Vector(mp.x + (i & 1 ? rad.x : -rad.x), mp.y + (i & 2 ? rad.y : -rad.y), mp.z + (i & 4 ? rad.z : -rad.z));
  // Corners that differ in one bit share an edge.
  for (int i = 0; i < 8; i++)
    for (int bit = 1; bit < 8; bit <<= 1)
      if (!(i & bit)) bd->Line3D(corner[i], corner[i | bit]);
}

// A fresh copy of the linked object on every build, sitting exactly at the instance.
BaseObject* KyranoInstance::GetVirtualObjects(PluginObject* op, HierarchyHelp* hh) {
  const LONG buildFlags = hh ? hh->GetBuildFlags() : 0;
  if (buildFlags & BUILDFLAGS_ISOPARM) return nullptr;
  if (suppresser && suppresser->value != 0) return nullptr;
  if (!(buildFlags & BUILDFLAGS_RENDERGEOMETRY)) return nullptr;
  BaseObject* linked = LinkOf(op, op->GetDocument());
  if (!linked || CopiesForEver(linked)) return nullptr;
  BaseObject* copy = linked->GetClone(COPYFLAGS_NO_BITS | COPYFLAGS_NO_ANIMATION, nullptr);
  if (!copy) return nullptr;
  copy->SetMl(Matrix());
  return copy;
}

Bool RegisterKyranoInstance(InstanceSuppresser* suppresser) {
  KyranoInstance::suppresser = suppresser;
  return RegisterNamedObject(ID_KYRANOINSTANCE, IDS_INSTANCE, OBJECT_GENERATOR_INPUT, KyranoInstance::Alloc,
                             "Okyranoinstance", "instance.tif");
}
