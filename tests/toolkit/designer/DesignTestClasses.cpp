#include "DesignTestClasses.h"

namespace qel::test {

static void DescribeGizmo(TClassBuilder<TGizmo>& B) {
    B.Integer("Small", &TGizmo::Small, &TGizmo::SetSmall).SetDefault(0);
    B.Integer("Count", &TGizmo::Count, &TGizmo::SetCount).SetDefault(0);
    B.Enum("Kind", &TGizmo::Kind, &TGizmo::SetKind).SetDefault(gkRound);
    B.Set<TGizmoKind>("Kinds", &TGizmo::Kinds, &TGizmo::SetKinds).SetDefault(0);
    B.Bool("Active", &TGizmo::Active, &TGizmo::SetActive).SetDefault(0);
    B.Color("Color", &TGizmo::Color, &TGizmo::SetColor).SetDefault(clBtnFace);
    B.Float("Ratio", &TGizmo::Ratio, &TGizmo::SetRatio);
    B.Char("Letter", &TGizmo::Letter, &TGizmo::SetLetter).SetDefault('A');
    B.String("Caption", &TGizmo::Caption, &TGizmo::SetCaption);
    B.Object("Font", &TGizmo::Font, &TGizmo::SetFont);
    B.Component("Partner", &TGizmo::Partner, &TGizmo::SetPartner);
    B.Event("OnClick", &TGizmo::OnClick);
    B.Event("OnChange", &TGizmo::OnChange);
}
QEL_IMPLEMENT_CLASS(TGizmo, TComponent, DescribeGizmo)
QEL_IMPLEMENT_CLASS(TFancyGizmo, TGizmo, NoProperties<TFancyGizmo>)

static void DescribeWidgetThing(TClassBuilder<TWidgetThing>& B) {
    B.String("Caption", &TWidgetThing::Caption, &TWidgetThing::SetCaption);
    B.Integer("Count", &TWidgetThing::Count, &TWidgetThing::SetCount).SetDefault(7);
}
QEL_IMPLEMENT_CLASS(TWidgetThing, TComponent, DescribeWidgetThing)

static void DescribeGizmoRoot(TClassBuilder<TGizmoRoot>& B) {
    B.Method("Gizmo1Click", &TGizmoRoot::Gizmo1Click);
    B.Method("Gizmo1Change", &TGizmoRoot::Gizmo1Change);
    B.Method("Wrong", &TGizmoRoot::Wrong);
}
QEL_IMPLEMENT_CLASS(TGizmoRoot, TComponent, DescribeGizmoRoot)

} // namespace qel::test
