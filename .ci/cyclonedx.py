"""Checks CycloneDX 1.5 JSON documents against the format's published schema.

    python3 cyclonedx.py SCHEMA_DIR FILE...

SCHEMA_DIR holds the CycloneDX project's schemas (bom-1.5, spdx, jsf), as its JavaScript library
ships them. Beyond the schema, every reference in "dependencies" must name a component.
"""
import json
import pathlib
import sys

import jsonschema

schemas = pathlib.Path(sys.argv[1])
store = {}
for path in schemas.glob("*.schema.json"):
    schema = json.loads(path.read_text())
    # The library's files say SNAPSHOT in their names, the schemas' references do not.
    store["http://cyclonedx.org/schema/" + path.name] = schema
    store["http://cyclonedx.org/schema/" + path.name.replace(".SNAPSHOT", "")] = schema
bom_schema = store["http://cyclonedx.org/schema/bom-1.5.schema.json"]
resolver = jsonschema.RefResolver.from_schema(bom_schema, store=store)
validator = jsonschema.Draft7Validator(bom_schema, resolver=resolver,
                                       format_checker=jsonschema.Draft7Validator.FORMAT_CHECKER)

failed = False
for name in sys.argv[2:]:
    document = json.loads(pathlib.Path(name).read_text())
    errors = [f"{'/'.join(map(str, error.absolute_path))}: {error.message}"
              for error in validator.iter_errors(document)]
    refs = {document["metadata"]["component"]["bom-ref"]}
    refs |= {component["bom-ref"] for component in document.get("components", [])}
    for dependency in document.get("dependencies", []):
        for ref in [dependency["ref"], *dependency.get("dependsOn", [])]:
            if ref not in refs:
                errors.append(f"dependencies: {ref} is no component's bom-ref")
    for error in errors:
        print(f"{name}: {error}")
    failed |= bool(errors)
    if not errors:
        print(f"{name}: a valid CycloneDX {document['specVersion']} document")
sys.exit(1 if failed else 0)
