#include "sections/engines_sections.h"

#include "engine/core/system_info.h"
#include "engine/os/engines.h"
#include "sections/categories.h"

namespace kestrova {

namespace {

TEngines* Engines(SectionContext& ctx) { return ctx.Engine.As<TEngines>(TSystemInfo::Member::Engines); }

void Prepare(SectionContext& ctx) {
  if (TEngines* e = Engines(ctx)) e->Refresh();
}

void Line(SectionContext& ctx, const char* label, const std::string& value) {
  ctx.Log.AddLogLine(kLevelItem, label + value, kColourBlack);
}

void AspiBody(SectionContext& ctx) {
  if (TEngines* e = Engines(ctx)) Line(ctx, "Version : ", e->ASPI32().ASPI());
}

void DirectXBody(SectionContext& ctx) {
  if (TEngines* e = Engines(ctx)) Line(ctx, "Version : ", e->DirectX().Version());
}

void OpenGLBody(SectionContext& ctx) {
  if (TEngines* e = Engines(ctx)) Line(ctx, "Version : ", e->OpenGL());
}

void InternetBody(SectionContext& ctx) {
  TEngines* e = Engines(ctx);
  if (!e) return;
  Line(ctx, "Version IE : ", e->IE());
  Line(ctx, "Version NET : ", e->NET());
}

void DatabasesBody(SectionContext& ctx) {
  TEngines* e = Engines(ctx);
  if (!e) return;
  Line(ctx, "ADO : ", e->ADO());
  Line(ctx, "DAO : ", e->DAO());
  Line(ctx, "BDE : ", e->BDE());
  Line(ctx, "ODBC : ", e->ODBC());
}

}  // namespace

const SectionWriter kAspiWriter = {kCatASPI, Prepare, AspiBody};
const SectionWriter kDirectXWriter = {kCatDirectX, Prepare, DirectXBody};
const SectionWriter kOpenGLWriter = {kCatOpenGL, Prepare, OpenGLBody};
const SectionWriter kInternetWriter = {kCatInternet, Prepare, InternetBody};
const SectionWriter kDatabasesWriter = {kCatDatabases, Prepare, DatabasesBody};

}  // namespace kestrova
