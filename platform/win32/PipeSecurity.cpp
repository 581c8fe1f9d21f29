#include "platform/win32/PipeSecurity.h"

#include <sddl.h>

#include "common/SystemError.h"

namespace kv {

CPipeSecurity::~CPipeSecurity() {
  if (m_pDescriptor) LocalFree(m_pDescriptor);
}

uint32_t CPipeSecurity::Build() {
  if (m_pDescriptor) return ERROR_CODE_SUCCESS;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(PIPE_SECURITY_SDDL, SDDL_REVISION_1,
                                                            &m_pDescriptor, nullptr))
    return GetLastError();
  m_attributes.nLength = sizeof m_attributes;
  m_attributes.lpSecurityDescriptor = m_pDescriptor;
  m_attributes.bInheritHandle = TRUE;
  return ERROR_CODE_SUCCESS;
}

}  // namespace kv
