# das_cyclonedx(): writes a package's software bill of materials, a CycloneDX 1.5 JSON document.
#
#   das_cyclonedx(PACKAGE <file> OUTPUT <file> VERSION <das's> EPOCH <seconds> DESCRIPTION <text>
#                 URL <das's home> BUILT_FROM <what cmake/built-from.cmake wrote, for each das inside>...)
#
# It names das, with the package's SHA-256, each library whose code a das in the package carries,
# with its version, licence and the source package of its code, and the toolchain that built it.
# Nothing in it varies but with its inputs: its one time is EPOCH, and its serial number is derived
# from the package's checksum.
include_guard(GLOBAL)

# $1 as a JSON string, quotes included.
function(das_json variable value)
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\"" "\\\"" value "${value}")
  string(REPLACE "\n" "\\n" value "${value}")
  string(REPLACE "\t" "\\t" value "${value}")
  set(${variable} "\"${value}\"" PARENT_SCOPE)
endfunction()

# A package URL's version or qualifier: only letters, digits and . - _ ~ stay as they are.
function(das_purl_escape variable value)
  set(escaped "")
  string(LENGTH "${value}" length)
  set(index 0)
  while(index LESS length)
    string(SUBSTRING "${value}" ${index} 1 character)
    if(character MATCHES "[A-Za-z0-9._~-]")
      string(APPEND escaped "${character}")
    else()
      string(HEX "${character}" hex)
      string(TOUPPER "${hex}" hex)
      string(APPEND escaped "%${hex}")
    endif()
    math(EXPR index "${index} + 1")
  endwhile()
  set(${variable} "${escaped}" PARENT_SCOPE)
endfunction()

# A Debian package's URL, in the namespace of the distribution that built it:
# pkg:deb/debian/NAME@VERSION?arch=ARCHITECTURE&distro=debian-12.
function(das_purl variable name version architecture)
  das_purl_escape(version "${version}")
  set(${variable} "pkg:deb/${das_distribution_id}/${name}@${version}?arch=${architecture}&distro=${das_distribution}"
      PARENT_SCOPE)
endfunction()

# The JSON strings of the Debian package an entry of cmake/built-from.cmake names: package_json
# ("name version architecture") and source_json ("source version").
macro(das_debian_json)
  das_json(package_json "${binary} ${binary_version} ${architecture}")
  das_json(source_json "${source} ${source_version}")
endmacro()

# A licence, by its SPDX identifier where it has one, else as an SPDX expression.
function(das_json_licence variable licence)
  das_json(licence_json "${licence}")
  if(licence MATCHES " ")
    set(${variable} "[{\"expression\": ${licence_json}}]" PARENT_SCOPE)
  else()
    set(${variable} "[{\"license\": {\"id\": ${licence_json}}}]" PARENT_SCOPE)
  endif()
endfunction()

function(das_cyclonedx)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "PACKAGE;OUTPUT;VERSION;EPOCH;DESCRIPTION;URL" "BUILT_FROM")
  file(SHA256 ${arg_PACKAGE} sum)
  cmake_path(GET arg_PACKAGE FILENAME package_name)
  string(UUID serial NAMESPACE 6ba7b811-9dad-11d1-80b4-00c04fd430c8 NAME "${arg_URL}/${package_name}#${sum}" TYPE SHA1)
  set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} ${arg_EPOCH})
  string(TIMESTAMP timestamp "%Y-%m-%dT%H:%M:%SZ" UTC)
  set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")

  set(components "")
  set(tools "")
  set(refs "")
  set(platforms "")
  set(seen_tools "")
  foreach(built_from IN LISTS arg_BUILT_FROM)
    set(das_embedded "")
    set(das_toolchain "")
    include(${built_from})
    list(APPEND platforms ${das_platform})
    foreach(entry IN LISTS das_embedded)
      string(REPLACE "|" ";" entry "${entry}")
      list(POP_FRONT entry name version licence cpe binary binary_version architecture source source_version
           origin origin_version archives)
      set(ref "${das_platform}/${name}")
      list(APPEND refs "${ref}")
      # The code's own source package, which security trackers know it by, not a cross package.
      das_purl(purl ${origin} ${origin_version} source)
      das_json(origin_json "${origin} ${origin_version}")
      foreach(field ref name version purl)
        das_json(${field}_json "${${field}}")
      endforeach()
      das_debian_json()
      das_json(archives_json "${archives}")
      das_json(platform_json "${das_platform}")
      das_json_licence(licences_json "${licence}")
      string(APPEND components ",
    {
      \"type\": \"library\",
      \"bom-ref\": ${ref_json},
      \"name\": ${name_json},
      \"version\": ${version_json},
      \"licenses\": ${licences_json},")
      if(cpe)
        string(APPEND components "
      \"cpe\": \"cpe:2.3:a:${cpe}:${version}:*:*:*:*:*:*:*\",")
      endif()
      string(APPEND components "
      \"purl\": ${purl_json},
      \"properties\": [
        {\"name\": \"das:platform\", \"value\": ${platform_json}},
        {\"name\": \"das:archives\", \"value\": ${archives_json}},
        {\"name\": \"debian:package\", \"value\": ${package_json}},
        {\"name\": \"debian:source\", \"value\": ${source_json}},
        {\"name\": \"debian:built-using\", \"value\": ${origin_json}}
      ]
    }")
    endforeach()
    foreach(entry IN LISTS das_toolchain)
      string(REPLACE "|" ";" entry "${entry}")
      list(POP_FRONT entry binary binary_version architecture source source_version role path)
      if("${binary}:${architecture}:${path}" IN_LIST seen_tools)
        continue()
      endif()
      list(APPEND seen_tools "${binary}:${architecture}:${path}")
      foreach(field binary binary_version role path)
        das_json(${field}_json "${${field}}")
      endforeach()
      string(APPEND tools ",
        {
          \"type\": \"application\",
          \"name\": ${binary_json},")
      if(binary_version)
        string(APPEND tools "
          \"version\": ${binary_version_json},")
      endif()
      string(APPEND tools "
          \"description\": ${role_json},")
      if(source)
        # Of a package.
        das_purl(purl ${binary} ${binary_version} ${architecture})
        das_json(purl_json "${purl}")
        das_debian_json()
        string(APPEND tools "
          \"purl\": ${purl_json},
          \"properties\": [
            {\"name\": \"debian:package\", \"value\": ${package_json}},
            {\"name\": \"debian:source\", \"value\": ${source_json}}
          ]
        }")
      else()
        # Of no package: where it was.
        string(APPEND tools "
          \"properties\": [{\"name\": \"das:path\", \"value\": ${path_json}}]
        }")
      endif()
    endforeach()
  endforeach()
  string(REGEX REPLACE "^," "" components "${components}")
  string(REGEX REPLACE "^," "" tools "${tools}")
  set(depends "")
  foreach(ref IN LISTS refs)
    das_json(ref_json "${ref}")
    string(APPEND depends ", ${ref_json}")
  endforeach()
  string(REGEX REPLACE "^, " "" depends "${depends}")
  list(JOIN platforms " " platforms)
  foreach(field VERSION DESCRIPTION URL)
    das_json(${field}_json "${arg_${field}}")
  endforeach()
  das_json(package_json "${package_name}")
  das_json(platforms_json "${platforms}")
  file(WRITE ${arg_OUTPUT} "{
  \"$schema\": \"http://cyclonedx.org/schema/bom-1.5.schema.json\",
  \"bomFormat\": \"CycloneDX\",
  \"specVersion\": \"1.5\",
  \"serialNumber\": \"urn:uuid:${serial}\",
  \"version\": 1,
  \"metadata\": {
    \"timestamp\": \"${timestamp}\",
    \"tools\": {
      \"components\": [${tools}
      ]
    },
    \"component\": {
      \"type\": \"application\",
      \"bom-ref\": \"das\",
      \"supplier\": {\"name\": \"The das developers\", \"contact\": [{\"email\": \"das@example.org\"}]},
      \"name\": \"das\",
      \"version\": ${VERSION_json},
      \"description\": ${DESCRIPTION_json},
      \"licenses\": [{\"license\": {\"id\": \"ISC\"}}],
      \"hashes\": [{\"alg\": \"SHA-256\", \"content\": \"${sum}\"}],
      \"externalReferences\": [
        {\"type\": \"website\", \"url\": ${URL_json}},
        {\"type\": \"distribution\", \"url\": ${package_json}}
      ],
      \"properties\": [{\"name\": \"das:platform\", \"value\": ${platforms_json}}]
    }
  },
  \"components\": [${components}
  ],
  \"dependencies\": [
    {\"ref\": \"das\", \"dependsOn\": [${depends}]}
  ]
}
")
endfunction()
