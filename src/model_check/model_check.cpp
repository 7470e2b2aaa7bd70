#include "model_check/model_check.h"

#include <Inventor/SbString.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/actions/SoCallbackAction.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/elements/SoCoordinateElement.h>
#include <Inventor/fields/SoMFInt32.h>
#include <Inventor/VRMLnodes/SoVRMLColor.h>
#include <Inventor/VRMLnodes/SoVRMLCoordinate.h>
#include <Inventor/VRMLnodes/SoVRMLIndexedShape.h>
#include <Inventor/VRMLnodes/SoVRMLInline.h>
#include <Inventor/VRMLnodes/SoVRMLNormal.h>
#include <Inventor/VRMLnodes/SoVRMLTextureCoordinate.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/elements/SoProfileCoordinateElement.h>
#include <Inventor/misc/SoProto.h>
#include <Inventor/nodes/SoFile.h>
#include <Inventor/nodes/SoWWWInline.h>
#include <Inventor/VRMLnodes/SoVRMLScript.h>
#include <Inventor/nodes/SoIndexedNurbsCurve.h>
#include <Inventor/nodes/SoIndexedNurbsSurface.h>
#include <Inventor/nodes/SoIndexedShape.h>
#include <Inventor/nodes/SoNurbsCurve.h>
#include <Inventor/nodes/SoNurbsSurface.h>
#include <Inventor/nodes/SoProfile.h>
#include <Inventor/nodes/SoVertexProperty.h>
#include <Inventor/VRMLnodes/SoVRMLImageTexture.h>

#include "data_files/data_file.h"
#include "model_check/model_input.h"

namespace {

// The callback's own url argument comes empty; the node names what it would
// fetch, or nothing when it named a pipe or a device, which is said already.
void fetchNothing(const SbString&, void*, SoVRMLInline* node)
{
    if (node->url.getNum() > 0 && node->url[0].getLength() > 0) {
        reportModelFile(node->url[0].getString(), notReadOutsideTheModel);
    }
}

// The library runs no script language; its programs stay unrun without a word.
void runNothing(void*, SoVRMLScript*) {}

// Every entry names one of count items, or is -1, which ends a face.
bool indicesWithin(const SoMFInt32& indices, int count)
{
    for (int n = 0; n < indices.getNum(); ++n) {
        if (indices[n] < -1 || indices[n] >= count) {
            return false;
        }
    }
    return true;
}

int faceCount(const SoMFInt32& coordIndex)
{
    int faces = 0;
    for (int n = 0; n < coordIndex.getNum(); ++n) {
        faces += coordIndex[n] == -1 || n + 1 == coordIndex.getNum();
    }
    return faces;
}

// Items of a colour, coordinate, normal or texture coordinate node; -1 when there is none.
int itemCount(const SoSFNode& field)
{
    const SoNode* node = field.getValue();
    if (node == nullptr) {
        return -1;
    }
    if (node->isOfType(SoVRMLCoordinate::getClassTypeId())) {
        return static_cast<const SoVRMLCoordinate*>(node)->point.getNum();
    }
    if (node->isOfType(SoVRMLColor::getClassTypeId())) {
        return static_cast<const SoVRMLColor*>(node)->color.getNum();
    }
    if (node->isOfType(SoVRMLNormal::getClassTypeId())) {
        return static_cast<const SoVRMLNormal*>(node)->vector.getNum();
    }
    if (node->isOfType(SoVRMLTextureCoordinate::getClassTypeId())) {
        return static_cast<const SoVRMLTextureCoordinate*>(node)->point.getNum();
    }
    return -1;
}

// A property without its own index list is indexed by the coordinate list,
// per vertex, or by face number, per face.
bool propertyWithin(const SoSFNode& property, const SoMFInt32& ownIndex, bool perVertex, const SoMFInt32& coordIndex)
{
    const int count = itemCount(property);
    if (count < 0) {
        return true;
    }
    if (ownIndex.getNum() > 0) {
        return indicesWithin(ownIndex, count);
    }
    return perVertex ? indicesWithin(coordIndex, count) : faceCount(coordIndex) <= count;
}

bool vrmlShapeWithin(const SoVRMLIndexedShape* shape)
{
    const int coordinates = itemCount(shape->coord);
    return indicesWithin(shape->coordIndex, coordinates < 0 ? 0 : coordinates)
        && propertyWithin(shape->color, shape->colorIndex, shape->colorPerVertex.getValue(), shape->coordIndex)
        && propertyWithin(shape->normal, shape->normalIndex, shape->normalPerVertex.getValue(), shape->coordIndex)
        && propertyWithin(shape->texCoord, shape->texCoordIndex, true, shape->coordIndex);
}

// Scene-library shapes take their coordinates from their own vertex property
// or from the coordinates in force where they stand.
bool inventorShapeWithin(SoCallbackAction* action, const SoIndexedShape* shape)
{
    const auto* property = static_cast<const SoVertexProperty*>(shape->vertexProperty.getValue());
    const int coordinates = property != nullptr ? property->vertex.getNum() : SoCoordinateElement::getInstance(action->getState())->getNum();
    return indicesWithin(shape->coordIndex, coordinates);
}

// A NURBS shape of order 2 or more whose control points, and their indices,
// stay within the coordinates in force; a profile's indices within the
// profile coordinates.
bool knotsFit(const SoMFFloat& knots, int points)
{
    return points >= 1 && knots.getNum() >= points + 2;
}

bool nurbsWithin(SoCallbackAction* action, const SoNode* node)
{
    const int coordinates = SoCoordinateElement::getInstance(action->getState())->getNum();
    if (node->isOfType(SoNurbsSurface::getClassTypeId())) {
        const auto* surface = static_cast<const SoNurbsSurface*>(node);
        const int u = surface->numUControlPoints.getValue();
        const int v = surface->numVControlPoints.getValue();
        return knotsFit(surface->uKnotVector, u) && knotsFit(surface->vKnotVector, v)
            && static_cast<long>(u) * v <= coordinates;
    }
    if (node->isOfType(SoIndexedNurbsSurface::getClassTypeId())) {
        const auto* surface = static_cast<const SoIndexedNurbsSurface*>(node);
        const int u = surface->numUControlPoints.getValue();
        const int v = surface->numVControlPoints.getValue();
        return knotsFit(surface->uKnotVector, u) && knotsFit(surface->vKnotVector, v)
            && static_cast<long>(u) * v <= surface->coordIndex.getNum() && indicesWithin(surface->coordIndex, coordinates);
    }
    if (node->isOfType(SoNurbsCurve::getClassTypeId())) {
        const auto* curve = static_cast<const SoNurbsCurve*>(node);
        const int points = curve->numControlPoints.getValue();
        return knotsFit(curve->knotVector, points) && points <= coordinates;
    }
    const auto* curve = static_cast<const SoIndexedNurbsCurve*>(node);
    const int points = curve->numControlPoints.getValue();
    return knotsFit(curve->knotVector, points) && points <= curve->coordIndex.getNum()
        && indicesWithin(curve->coordIndex, coordinates);
}

SoCallbackAction::Response checkNurbs(void* outside, SoCallbackAction* action, const SoNode* node)
{
    if (nurbsWithin(action, node)) {
        return SoCallbackAction::PRUNE;
    }
    *static_cast<bool*>(outside) = true;
    return SoCallbackAction::ABORT;
}

SoCallbackAction::Response checkProfile(void* outside, SoCallbackAction* action, const SoNode* node)
{
    const int coordinates = SoProfileCoordinateElement::getInstance(action->getState())->getNum();
    if (indicesWithin(static_cast<const SoProfile*>(node)->index, coordinates)) {
        return SoCallbackAction::CONTINUE;
    }
    *static_cast<bool*>(outside) = true;
    return SoCallbackAction::ABORT;
}

SoCallbackAction::Response checkIndices(void* outside, SoCallbackAction* action, const SoNode* node)
{
    const bool within = node->isOfType(SoVRMLIndexedShape::getClassTypeId())
        ? vrmlShapeWithin(static_cast<const SoVRMLIndexedShape*>(node))
        : inventorShapeWithin(action, static_cast<const SoIndexedShape*>(node));
    if (within) {
        return SoCallbackAction::CONTINUE;
    }
    *static_cast<bool*>(outside) = true;
    return SoCallbackAction::ABORT;
}

// Asking for the triangles makes every shape cut itself into them, as drawing
// would; that is where a model crashes or runs out of time, so nothing of
// them needs keeping.
void takeTriangle(void*, SoCallbackAction*, const SoPrimitiveVertex*, const SoPrimitiveVertex*, const SoPrimitiveVertex*)
{
}

}

std::string modelCheckReason(CheckStatus status)
{
    switch (status) {
    case CheckStatus::Passed: return "passed";
    case CheckStatus::Unopened: return "cannot be opened";
    case CheckStatus::Usage: return "usage: pelmora-model-check FILE";
    case CheckStatus::NotVrml: return "not a VRML model";
    case CheckStatus::IndexOutside: return "an index beyond the coordinates or properties it indexes";
    case CheckStatus::OutOfMemory: return "needs more memory than a model may take";
    case CheckStatus::OutOfProcessorTime:
        return "took more than " + std::to_string(modelCheckLimits.processorSeconds) + " s of processor time to read";
    case CheckStatus::OutOfTime: return "took longer than " + std::to_string(modelCheckWallSeconds) + " s to read";
    case CheckStatus::Crashed: return "crashed the model reader";
    case CheckStatus::NotStarted: return "the model checker pelmora-model-check could not be started";
    }
    return "the model check failed with status " + std::to_string(static_cast<int>(status));
}

void setUpModelReading()
{
    // Read as a file of its own, an inline would be fetched at once, whatever the callback.
    SoVRMLInline::setReadAsSoFile(FALSE);
    SoVRMLInline::setFetchURLCallBack(fetchNothing, nullptr);
    SoFile::setSearchOK(FALSE);
    SoProto::setFetchExternProtoCallback(unreadExternalPrototype, nullptr);
    SoVRMLScript::setScriptEvaluateCB(runNothing, nullptr);
    // Read later, a texture would be read when the model is first drawn, where
    // no one catches what the scene library says of it.
    SoVRMLImageTexture::setDelayFetchURL(FALSE);
}

SoPathList everyUse(SoNode* model, SoType type)
{
    SoSearchAction search;
    search.setType(type);
    search.setInterest(SoSearchAction::ALL);
    search.setSearchingAll(TRUE);
    search.apply(model);
    return search.getPaths();
}

void reportUnreadFiles(SoNode* model)
{
    for (const SoType type : {SoFile::getClassTypeId(), SoWWWInline::getClassTypeId()}) {
        const SoPathList uses = everyUse(model, type);
        for (int n = 0; n < uses.getLength(); ++n) {
            const SoNode* node = uses[n]->getTail();
            const SbString& name = node->isOfType(SoFile::getClassTypeId()) ? static_cast<const SoFile*>(node)->name.getValue()
                                                                              : static_cast<const SoWWWInline*>(node)->name.getValue();
            if (name.getLength() > 0) {
                reportModelFile(name.getString(), notReadOutsideTheModel);
            }
        }
    }
}

CheckStatus surveyModel(SoNode* model)
{
    bool outside = false;
    SoCallbackAction survey;
    survey.addPreCallback(SoVRMLIndexedShape::getClassTypeId(), checkIndices, &outside);
    survey.addPreCallback(SoIndexedShape::getClassTypeId(), checkIndices, &outside);
    for (const SoType nurbs : {SoNurbsSurface::getClassTypeId(), SoIndexedNurbsSurface::getClassTypeId(),
                               SoNurbsCurve::getClassTypeId(), SoIndexedNurbsCurve::getClassTypeId()}) {
        survey.addPreCallback(nurbs, checkNurbs, &outside);
    }
    survey.addPreCallback(SoProfile::getClassTypeId(), checkProfile, &outside);
    survey.addTriangleCallback(SoShape::getClassTypeId(), takeTriangle, nullptr);
    survey.apply(model);
    if (outside) {
        return CheckStatus::IndexOutside;
    }
    // The viewer bounds the whole scene to place its camera.
    SoGetBoundingBoxAction bounds(SbViewportRegion(640, 480));
    bounds.apply(model);
    return CheckStatus::Passed;
}
