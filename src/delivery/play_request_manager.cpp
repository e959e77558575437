#include "delivery/play_request_manager.h"

bool CPlayRequestNotify::Start(int) { return false; }
void CPlayRequestNotify::OnAccept() {}
CPlayRequestManager::CPlayRequestManager(int) : listener_(*this) {}
CPlayRequestManager::~CPlayRequestManager() = default;
std::string CPlayRequestManager::BuildPlayUrl(const std::string&) { return {}; }
std::vector<CPlayRequest*> CPlayRequestManager::FindRequestsByKey(const std::string&) const { return {}; }
void CPlayRequestManager::MarkRequestsComplete(const std::string&) {}
void CPlayRequestManager::CloseRequestByPath(const std::string&) {}
LRESULT CPlayRequestManager::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) { return CWnd::WindowProc(msg, wParam, lParam); }
void CPlayRequestManager::AcceptConnection() {}
void CPlayRequestManager::OnRequestParsed(CPlayRequest&) {}
bool CPlayRequestManager::IsAllowedHost(const std::string&) const { return false; }
